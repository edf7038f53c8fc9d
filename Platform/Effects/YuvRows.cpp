#include "Platform/Effects/YuvRows.h"

#include <algorithm>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

#define YUV_INLINE __attribute__((always_inline)) inline

constexpr int MIDDLE = 128 * 16;

// One chroma line at a luma line, scaled by 4: the two nearest lines weighted 3:1 for chroma
// sited between luma lines (JPEG's siting), edges repeated.
YUV_INLINE void ChromaLine(const YuvPlanes& p, int plane, uint32_t y, int* out) {
  const int width = p.chromaW;
  if (!p.halvedH) {
    const uint8_t* row = p.data[plane] + size_t(y) * p.lineSize[plane];
    for (int x = 0; x < width; ++x) out[x] = 4 * row[x];
    return;
  }
  const int near = int(y >> 1);
  const int far = std::clamp(y & 1 ? near + 1 : near - 1, 0, p.chromaH - 1);
  const uint8_t* a = p.data[plane] + size_t(near) * p.lineSize[plane];
  const uint8_t* b = p.data[plane] + size_t(far) * p.lineSize[plane];
  for (int x = 0; x < width; ++x) out[x] = 3 * a[x] + b[x];
}

// The same across to full width, scaled by 16 and less its middle: luma pixels 2i and 2i+1 lie
// a quarter of a chroma sample either side of sample i.
YUV_INLINE void WidenChroma(const YuvPlanes& p, const int* line, int* out) {
  if (!p.halvedW) {
    for (uint32_t x = 0; x < p.width; ++x) out[x] = 4 * line[x] - MIDDLE;
    return;
  }
  const int last = p.chromaW - 1;
  for (int i = 0; i < p.chromaW; ++i) {
    out[2 * i] = 3 * line[i] + line[std::max(i - 1, 0)] - MIDDLE;
    if (uint32_t(2 * i + 1) < p.width) out[2 * i + 1] = 3 * line[i] + line[std::min(i + 1, last)] - MIDDLE;
  }
}

YUV_INLINE uint8_t Clamped(int value) { return uint8_t(std::clamp(value >> 16, 0, 255)); }

// The common RGB24 target with its layout known to the compiler, then every other packed one.
YUV_INLINE void StoreRgb24(const uint8_t* luma, const int* u, const int* v, uint32_t width, const YuvCoefficients& k,
                           uint8_t* t) {
  for (uint32_t x = 0; x < width; ++x, t += 3) {
    const int base = (luma[x] - k.yOffset) * k.yMul + (1 << 15);
    t[0] = Clamped(base + k.rCr * v[x]);
    t[1] = Clamped(base + k.gCb * u[x] + k.gCr * v[x]);
    t[2] = Clamped(base + k.bCb * u[x]);
  }
}

YUV_INLINE void StorePacked(const uint8_t* luma, const int* u, const int* v, uint32_t width,
                            const YuvCoefficients& k, const PackedLayout& to, uint8_t* t) {
  for (uint32_t x = 0; x < width; ++x, t += to.bpp) {
    const int base = (luma[x] - k.yOffset) * k.yMul + (1 << 15);
    t[to.r] = Clamped(base + k.rCr * v[x]);
    t[to.g] = Clamped(base + k.gCb * u[x] + k.gCr * v[x]);
    t[to.b] = Clamped(base + k.bCb * u[x]);
    if (to.a >= 0) t[to.a] = 255;
    if (to.pad >= 0) t[to.pad] = 255;
  }
}

YUV_INLINE void Line(const YuvPlanes& p, uint32_t y, const YuvCoefficients& k, const PackedLayout& to, int* scratch,
                     uint8_t* row) {
  int* lineCb = scratch;
  int* lineCr = lineCb + p.chromaW;
  int* u = lineCr + p.chromaW;
  int* v = u + p.width;
  ChromaLine(p, 1, y, lineCb);
  ChromaLine(p, 2, y, lineCr);
  WidenChroma(p, lineCb, u);
  WidenChroma(p, lineCr, v);
  const uint8_t* luma = p.data[0] + size_t(y) * p.lineSize[0];
  if (to.bpp == 3 && to.r == 0 && to.g == 1 && to.b == 2) {
    StoreRgb24(luma, u, v, p.width, k, row);
  } else {
    StorePacked(luma, u, v, p.width, k, to, row);
  }
}

// The same integer arithmetic in both: the results are identical.
__attribute__((target("avx2"))) void LineAvx2(const YuvPlanes& p, uint32_t y, const YuvCoefficients& k,
                                              const PackedLayout& to, int* scratch, uint8_t* row) {
  Line(p, y, k, to, scratch, row);
}

void LinePlain(const YuvPlanes& p, uint32_t y, const YuvCoefficients& k, const PackedLayout& to, int* scratch,
               uint8_t* row) {
  Line(p, y, k, to, scratch, row);
}

}  // namespace

YuvCoefficients MakeYuvCoefficients(bool fullRange) {
  const double yScale = fullRange ? 1.0 : 255.0 / 219.0;
  const double cScale = (fullRange ? 1.0 : 255.0 / 224.0) / 16.0;
  const auto fixed = [](double v) { return int(v * 65536.0 + (v < 0 ? -0.5 : 0.5)); };
  return {fixed(yScale),
          fullRange ? 0 : 16,
          fixed(1.402 * cScale),
          fixed(-0.344136 * cScale),
          fixed(-0.714136 * cScale),
          fixed(1.772 * cScale)};
}

void ConvertYuvLine(const YuvPlanes& planes, uint32_t y, const YuvCoefficients& k, const PackedLayout& to,
                    int* scratch, uint8_t* row) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (avx2) {
    LineAvx2(planes, y, k, to, scratch, row);
  } else {
    LinePlain(planes, y, k, to, scratch, row);
  }
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
