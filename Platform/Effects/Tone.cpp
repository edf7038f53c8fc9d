#include "Platform/Effects/Tone.h"

#include "Platform/Effects/ColorSpaceConverter.h"
#include "Platform/Effects/ParallelRows.h"
#include "Platform/Effects/PixelLayout.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

inline uint8_t Clamp8(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Copies a packed frame while f(pixel in, pixel out) rewrites each pixel's colour bytes.
template <class F>
DataVideoPtr MapPixels(const IDataVideo& source, const PackedLayout& layout, F f) {
  DataVideoPtr result = AllocateLike(source, source.GetPixelFormat(), source.GetWidth(), source.GetHeight());
  const Picture& sp = source.GetPicture();
  Picture& rp = result->GetPicture();
  const size_t rowBytes = size_t(source.GetWidth()) * layout.bpp;
  ParallelRows(source.GetHeight(), uint64_t(rowBytes) * source.GetHeight(), [&](uint32_t y) {
    const uint8_t* s = sp.data[0] + size_t(y) * sp.linesize[0];
    uint8_t* t = rp.data[0] + size_t(y) * rp.linesize[0];
    std::memcpy(t, s, rowBytes);
    for (uint32_t x = 0; x < source.GetWidth(); ++x, s += layout.bpp, t += layout.bpp) f(s, t);
  });
  return result;
}

// Runs op on the frame in a packed format (converting there and back when needed).
template <class Op>
void OnPacked(DataVideoPtr& frame, Op op) {
  const AVPixelFormat format = frame->GetPixelFormat();
  PackedLayout layout = GetPackedLayout(format);
  if (layout.Valid()) {
    frame = op(*frame, layout);
    return;
  }
  const AVPixelFormat work = FormatIsGrey(format) ? (FormatHasAlpha(format) ? AV_PIX_FMT_YA8 : AV_PIX_FMT_GRAY8)
                                                  : (FormatHasAlpha(format) ? AV_PIX_FMT_BGRA : AV_PIX_FMT_RGB24);
  DataVideoPtr packed = ConvertFrame(*frame, work);
  packed = op(*packed, GetPackedLayout(work));
  frame = ConvertFrame(*packed, format);
}

}  // namespace

void Grayscale::ProcessInternal(DataVideoPtr& frame) {
  CheckedFrame(frame, "source");
  if (FormatIsGrey(frame->GetPixelFormat())) return;
  OnPacked(frame, [](const IDataVideo& source, const PackedLayout& l) {
    return MapPixels(source, l, [&l](const uint8_t* s, uint8_t* t) {
      const uint8_t y = Luma(s[l.r], s[l.g], s[l.b]);
      t[l.r] = t[l.g] = t[l.b] = y;
    });
  });
}

MagicEnhance::Plan MagicEnhance::MakePlan(const IDataVideo& frame, bool contrast, bool saturation,
                                          bool whiteBalance, int strength) {
  Plan plan;
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) plan.lut[c][v] = static_cast<uint8_t>(v);
  }
  const PackedLayout l = GetPackedLayout(frame.GetPixelFormat());
  const uint32_t w = frame.GetWidth();
  const uint32_t h = frame.GetHeight();
  if (!l.Valid() || w == 0 || h == 0) return plan;
  const uint32_t step = std::max<uint32_t>(1, static_cast<uint32_t>(std::sqrt(double(w) * h / 1e6)));
  const Picture& p = frame.GetPicture();
  auto forSamples = [&](auto f) {
    for (uint32_t y = step / 2; y < h; y += step) {
      const uint8_t* row = p.data[0] + size_t(y) * p.linesize[0];
      for (uint32_t x = step / 2; x < w; x += step) {
        const uint8_t* s = row + size_t(x) * l.bpp;
        f(s[l.r], s[l.g], s[l.b]);
      }
    }
  };

  // Gray world over the pixels that are neither clipped nor nearly black.
  double gain[3] = {1.0, 1.0, 1.0};
  if (whiteBalance && !l.grey && strength > 0) {
    double sum[3] = {0, 0, 0};
    uint64_t used = 0, total = 0;
    forSamples([&](int r, int g, int b) {
      ++total;
      if (std::max({r, g, b}) >= 250 || std::min({r, g, b}) <= 5) return;
      sum[0] += r;
      sum[1] += g;
      sum[2] += b;
      ++used;
    });
    if (used > 0 && used * 100 >= total) {
      const double grey = (sum[0] + sum[1] + sum[2]) / 3.0;
      for (int c = 0; c < 3; ++c) {
        const double full = std::clamp(sum[c] > 0 ? grey / sum[c] : 1.0, 0.5, 2.0);
        gain[c] = 1.0 + (full - 1.0) * std::clamp(strength, 0, 100) / 100.0;
      }
    }
  }

  // Joint stretch between the 0.5 and 99.5 percentiles of the balanced channels.
  double lo = 0.0, scale = 1.0;
  if (contrast) {
    uint64_t histogram[256] = {};
    uint64_t count = 0;
    forSamples([&](int r, int g, int b) {
      const int v[3] = {r, g, b};
      for (int c = 0; c < (l.grey ? 1 : 3); ++c) {
        ++histogram[Clamp8(static_cast<int>(std::lround(v[c] * gain[c])))];
        ++count;
      }
    });
    const uint64_t cut = count / 200;
    int low = 0, high = 255;
    for (uint64_t seen = 0; low < 255 && (seen += histogram[low]) <= cut;) ++low;
    for (uint64_t seen = 0; high > 0 && (seen += histogram[high]) <= cut;) --high;
    if (high - low >= 16) {
      scale = std::min(255.0 / (high - low), 2.5);
      // A capped stretch widens around the middle of the range instead of pinning the low end.
      lo = (low + high) / 2.0 - 127.5 / scale;
    }
  }
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) {
      plan.lut[c][v] = Clamp8(static_cast<int>(std::lround((v * gain[c] - lo) * scale)));
    }
  }

  if (saturation && !l.grey) {
    double sum = 0.0;
    uint64_t count = 0;
    forSamples([&](int r, int g, int b) {
      const int R = plan.lut[0][r], G = plan.lut[1][g], B = plan.lut[2][b];
      const int high = std::max({R, G, B});
      sum += high > 0 ? double(high - std::min({R, G, B})) / high : 0.0;
      ++count;
    });
    const double mean = count ? sum / count : 0.0;
    plan.saturation = static_cast<int>(std::lround(256.0 * std::clamp(1.0 + (0.4 - mean), 1.05, 1.3)));
  }
  return plan;
}

void MagicEnhance::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(AUTO_CONTRAST)) contrast_ = Core::GetValue<bool>(settings[AUTO_CONTRAST]);
  if (settings.ChildExists(AUTO_SATURATION)) saturation_ = Core::GetValue<bool>(settings[AUTO_SATURATION]);
  if (settings.ChildExists(AUTO_WHITE_BALANCE)) whiteBalance_ = Core::GetValue<bool>(settings[AUTO_WHITE_BALANCE]);
  if (settings.ChildExists(AUTO_WHITE_STRENGTH)) {
    strength_ = static_cast<int>(std::clamp<long long>(Core::GetValue<long long>(settings[AUTO_WHITE_STRENGTH]), 0, 100));
  }
}

void MagicEnhance::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(AUTO_CONTRAST, contrast_);
  settings.SetChildT(AUTO_SATURATION, saturation_);
  settings.SetChildT(AUTO_WHITE_BALANCE, whiteBalance_);
  settings.SetChildT(AUTO_WHITE_STRENGTH, static_cast<long long>(strength_));
}

void MagicEnhance::ProcessInternal(DataVideoPtr& frame) {
  CheckedFrame(frame, "source");
  if (!contrast_ && !saturation_ && !whiteBalance_) return;
  OnPacked(frame, [this](const IDataVideo& source, const PackedLayout& l) {
    const Plan plan = MakePlan(source, contrast_, saturation_, whiteBalance_, strength_);
    const int f = plan.saturation;
    return MapPixels(source, l, [&plan, &l, f](const uint8_t* s, uint8_t* t) {
      if (l.grey) {
        t[0] = plan.lut[0][s[0]];
        return;
      }
      const int r = plan.lut[0][s[l.r]], g = plan.lut[1][s[l.g]], b = plan.lut[2][s[l.b]];
      const int y = Luma(r, g, b);
      t[l.r] = Clamp8(y + (((r - y) * f) >> 8));
      t[l.g] = Clamp8(y + (((g - y) * f) >> 8));
      t[l.b] = Clamp8(y + (((b - y) * f) >> 8));
    });
  });
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
