// libFuzzer target: the patch fill on small pictures and holes drawn from the input. The picture is
// two surfaces parted by a line, with grain and stripes, so that the fill's surface and line
// handling runs; the holes are rectangles, discs and strokes. The fill must change hole pixels
// only and give the same bytes on one thread and on three; a stop asked at any of its steps must
// end it with hole pixels changed only.
#include "Platform/Effects/PatchFill.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

using Zentor::Proc::Effects::PatchFill;
using Zentor::Proc::Effects::PatchFillArea;

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  int Byte() { return at < size ? data[at++] : 0; }
  bool More() const { return at < size; }
};

uint32_t Colour(int r, int g, int b) {
  return uint32_t(std::clamp(r, 0, 255)) | uint32_t(std::clamp(g, 0, 255)) << 8 | uint32_t(std::clamp(b, 0, 255)) << 16;
}

PatchFillArea Draw(Reader& in) {
  PatchFillArea area;
  area.width = 4 + in.Byte() % 150;
  area.height = 4 + in.Byte() % 150;
  const double angle = in.Byte() * (M_PI / 128);
  const double offset = (in.Byte() - 128) * 0.5;
  const int grain = in.Byte() % 64, stripe = 1 + in.Byte() % 16;
  const int a[3] = {in.Byte(), in.Byte(), in.Byte()}, b[3] = {in.Byte(), in.Byte(), in.Byte()};
  uint64_t state = 0x2545F4914F6CDD1Dull ^ uint64_t(in.Byte());
  const size_t n = size_t(area.width) * area.height;
  area.pixels.resize(n);
  area.holes.assign(n, 0);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      const double side = (x - area.width / 2) * std::cos(angle) + (y - area.height / 2) * std::sin(angle) - offset;
      const int* c = side < 0 ? a : b;
      const int noise = grain ? int(state % uint64_t(2 * grain + 1)) - grain : 0;
      const int band = ((x + y) / stripe) % 2 ? 20 : 0;
      area.pixels[size_t(y) * area.width + x] = Colour(c[0] + noise + band, c[1] + noise, c[2] + noise - band);
    }
  }
  const int shapes = 1 + in.Byte() % 6;
  for (int s = 0; s < shapes && in.More(); ++s) {
    const int kind = in.Byte() % 3;
    const int x0 = in.Byte() % area.width, y0 = in.Byte() % area.height;
    const int x1 = in.Byte() % area.width, y1 = in.Byte() % area.height;
    const int thick = in.Byte() % 24;
    for (int y = 0; y < area.height; ++y) {
      for (int x = 0; x < area.width; ++x) {
        bool inside = false;
        if (kind == 0) {
          inside = x >= std::min(x0, x1) && x <= std::max(x0, x1) && y >= std::min(y0, y1) && y <= std::max(y0, y1);
        } else if (kind == 1) {
          inside = std::hypot(x - x0, y - y0) <= thick;
        } else {
          // A stroke from (x0, y0) to (x1, y1), thick / 2 on either side.
          const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
          const double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
          inside = std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= thick / 2.0;
        }
        if (inside) area.holes[size_t(y) * area.width + x] = 1;
      }
    }
  }
  return area;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const int patch = 3 + 2 * (in.Byte() % 6);
  const int stopAt = in.Byte();
  const PatchFillArea drawn = Draw(in);
  const auto onlyHolesChanged = [&](const PatchFillArea& area) {
    if (area.pixels.size() != drawn.pixels.size()) std::abort();
    for (size_t i = 0; i < drawn.pixels.size(); ++i) {
      if (!drawn.holes[i] && area.pixels[i] != drawn.pixels[i]) std::abort();
      if (area.pixels[i] >> 24) std::abort();
    }
  };
  PatchFillArea one = drawn, three = drawn, stopped = drawn;
  const bool finished = PatchFill(one, patch, 1, nullptr, nullptr);
  PatchFill(three, patch, 3, nullptr, nullptr);
  if (!finished || one.pixels != three.pixels) std::abort();
  onlyHolesChanged(one);
  int asked = 0;
  PatchFill(stopped, patch, 2, nullptr, [&] { return ++asked > stopAt; });
  onlyHolesChanged(stopped);
  return 0;
}
