#include "Platform/Codecs/PcxPlanes.h"

#include "Core/Interfaces/Exception.h"

#include <algorithm>
#include <vector>

namespace Zentor {
namespace Proc {
namespace FF {

namespace {

constexpr size_t HEADER_SIZE = 128;
constexpr int PLANES = 4;

unsigned Le16(const uint8_t* p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

[[noreturn]] void Refuse(const std::string& why) {
  ZENTOR_THROW_DESC(DecoderException, "Cannot decode the picture: " + why);
}

}  // namespace

bool IsFourPlanePcx(const uint8_t* data, size_t size) {
  return size >= HEADER_SIZE && data[0] == 0x0A && data[3] == 8 && data[65] == PLANES;
}

DataVideoPtr DecodeFourPlanePcx(const uint8_t* data, size_t size, int64_t maxPixels) {
  if (!IsFourPlanePcx(data, size)) Refuse("not a 32-bit PCX picture");
  const unsigned xMin = Le16(data + 4), yMin = Le16(data + 6), xMax = Le16(data + 8), yMax = Le16(data + 10);
  const unsigned lineBytes = Le16(data + 66);
  if (xMax < xMin || yMax < yMin) Refuse("no picture");
  const uint32_t width = xMax - xMin + 1;
  const uint32_t height = yMax - yMin + 1;
  if (lineBytes < width) Refuse("the lines are shorter than the picture");
  if (int64_t(width) * height > maxPixels) Refuse("the picture is too large");
  const bool runs = data[2] == 1;
  // Two bytes give at most 63: a few bytes claiming a huge picture get no memory for it.
  const uint64_t coded = size - HEADER_SIZE;
  const uint64_t most = runs ? coded / 2 * 63 + coded % 2 : coded;
  if (most < uint64_t(lineBytes) * PLANES * height) Refuse("the data is cut short");

  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_RGBA, width, height);
  Picture& picture = frame->GetPicture();
  std::vector<uint8_t> planes(size_t(lineBytes) * PLANES);
  const uint8_t* in = data + HEADER_SIZE;
  const uint8_t* const end = data + size;
  // A run may go on into the next plane or line.
  unsigned left = 0;
  uint8_t value = 0;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint8_t& out : planes) {
      while (left == 0) {
        if (in == end) Refuse("the data is cut short");
        value = *in++;
        left = 1;
        if (runs && value >= 0xC0) {
          left = value & 0x3F;
          if (in == end) Refuse("the data is cut short");
          value = *in++;
        }
      }
      out = value;
      --left;
    }
    uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    for (uint32_t x = 0; x < width; ++x) {
      for (int c = 0; c < PLANES; ++c) row[x * PLANES + c] = planes[size_t(c) * lineBytes + x];
    }
  }
  return frame;
}

}  // namespace FF
}  // namespace Proc
}  // namespace Zentor
