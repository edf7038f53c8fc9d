// Byte layouts of the packed 8-bit pixel formats the effects handle directly.
#pragma once

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <cstdint>

namespace Zentor {
namespace Proc {
namespace Effects {

// One pixel of bpp bytes; r, g, b, a are byte offsets (a = -1 without alpha; grey formats have
// r = g = b). pad is the offset of an unused byte (written as 255), or -1.
struct PackedLayout {
  AVPixelFormat format = AV_PIX_FMT_NONE;
  int bpp = 0;
  int r = 0, g = 0, b = 0, a = -1, pad = -1;
  bool grey = false;
  bool Valid() const { return bpp != 0; }
};

// The layout of a packed 8-bit RGB or grey format (RGB24, BGRA, ARGB, BGR0, GRAY8, YA8 ...), or an
// invalid layout for every other format.
PackedLayout GetPackedLayout(AVPixelFormat format);

// BT.601 luminance of 8-bit values.
inline uint8_t Luma(int r, int g, int b) { return static_cast<uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8); }

// Formats with an alpha channel, and grey formats (one or two components, no palette).
bool FormatHasAlpha(AVPixelFormat format);
bool FormatIsGrey(AVPixelFormat format);

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
