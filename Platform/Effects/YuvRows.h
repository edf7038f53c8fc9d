// One line of an 8-bit planar YUV picture converted to packed RGB: the inner loops of the
// colour-space converter, built for vectors (with an AVX2 variant where the processor has it).
#pragma once

#include "Platform/Effects/PixelLayout.h"

#include <cstdint>

namespace Zentor {
namespace Proc {
namespace Effects {

// BT.601 in 16 fractional bits, for chroma scaled by 16.
struct YuvCoefficients {
  int yMul, yOffset, rCr, gCb, gCr, bCb;
};

// Full range for the JPEG formats, studio range otherwise.
YuvCoefficients MakeYuvCoefficients(bool fullRange);

struct YuvPlanes {
  const uint8_t* data[3];
  int lineSize[3];
  uint32_t width, height;
  // Chroma halved across and down, and the chroma planes' size.
  bool halvedW, halvedH;
  int chromaW, chromaH;
};

// Line y into row; scratch holds 2 * (chromaW + width) ints.
void ConvertYuvLine(const YuvPlanes& planes, uint32_t y, const YuvCoefficients& k, const PackedLayout& to,
                    int* scratch, uint8_t* row);

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
