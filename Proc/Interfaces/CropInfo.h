// A rectangle of a frame: left, right, top, bottom; right and bottom exclusive.
#pragma once

#include <cstdint>
#include <ostream>

namespace Zentor {
namespace Proc {

struct CropInfo {
  uint32_t left = 0;
  uint32_t right = 0;
  uint32_t top = 0;
  uint32_t bottom = 0;

  bool IsEmpty() const { return left >= right || top >= bottom; }
  uint32_t Width() const { return IsEmpty() ? 0 : right - left; }
  uint32_t Height() const { return IsEmpty() ? 0 : bottom - top; }

  bool operator==(const CropInfo& other) const {
    return left == other.left && right == other.right && top == other.top && bottom == other.bottom;
  }
  bool operator!=(const CropInfo& other) const { return !(*this == other); }
};

// Log form: "[left, right) x [top, bottom)".
inline std::ostream& operator<<(std::ostream& out, const CropInfo& rect) {
  return out << '[' << rect.left << ", " << rect.right << ") x [" << rect.top << ", " << rect.bottom << ')';
}

}  // namespace Proc
}  // namespace Zentor
