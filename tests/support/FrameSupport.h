// Frame comparisons shared by the engine tests.
#pragma once

#include "Proc/Interfaces/IDataVideo.h"

#include <cstdint>
#include <cstring>

namespace TestSupport {

// Plane 0 of two frames, compared over the picture's bytes only (row padding ignored).
inline bool SamePixels(const Zentor::Proc::IDataVideo& a, const Zentor::Proc::IDataVideo& b) {
  if (a.GetPixelFormat() != b.GetPixelFormat() || a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    return false;
  }
  const int rowBytes = Zentor::Proc::GetPlaneRowBytes(a.GetPixelFormat(), 0, a.GetWidth());
  for (uint32_t y = 0; y < a.GetHeight(); ++y) {
    const uint8_t* ra = a.GetPicture().data[0] + ptrdiff_t(y) * a.GetPicture().linesize[0];
    const uint8_t* rb = b.GetPicture().data[0] + ptrdiff_t(y) * b.GetPicture().linesize[0];
    if (std::memcmp(ra, rb, size_t(rowBytes)) != 0) return false;
  }
  return true;
}

// A null frame equals only another null frame.
inline bool SamePixels(const Zentor::Proc::DataVideoPtr& a, const Zentor::Proc::DataVideoPtr& b) {
  if (!a || !b) return !a && !b;
  return SamePixels(*a, *b);
}

// The non-zero bytes of a GRAY8 mask; a null mask has none.
inline uint64_t CountNonZero(const Zentor::Proc::DataVideoPtr& mask) {
  if (!mask) return 0;
  uint64_t count = 0;
  const Zentor::Proc::Picture& p = mask->GetPicture();
  for (uint32_t y = 0; y < mask->GetHeight(); ++y) {
    for (uint32_t x = 0; x < mask->GetWidth(); ++x) count += p.data[0][ptrdiff_t(y) * p.linesize[0] + x] != 0;
  }
  return count;
}

}  // namespace TestSupport
