#include "Platform/Effects/Blend.h"

#include "Platform/Effects/AlphaPlanes.h"
#include "Platform/Effects/ColorSpaceConverter.h"
#include "Platform/Effects/PixelLayout.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

// Chroma subsampling shifts of a planar format; 0, 0 for packed ones.
void ChromaShifts(AVPixelFormat format, int& sw, int& sh) {
  sw = sh = 0;
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  if (!desc || !(desc->flags & AV_PIX_FMT_FLAG_PLANAR)) return;
  sw = desc->log2_chroma_w;
  sh = desc->log2_chroma_h;
}

// A planar format whose components are whole bytes, one plane each, without alpha.
bool IsPlanar8(AVPixelFormat format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  if (!desc || !(desc->flags & AV_PIX_FMT_FLAG_PLANAR) || (desc->flags & (AV_PIX_FMT_FLAG_ALPHA | AV_PIX_FMT_FLAG_BE)))
    return false;
  for (int c = 0; c < desc->nb_components; ++c) {
    if (desc->comp[c].depth != 8 || desc->comp[c].step != 1 || desc->comp[c].plane != c) return false;
  }
  return true;
}

inline uint8_t Mix(uint8_t under, uint8_t over, unsigned alpha) {
  return static_cast<uint8_t>((under * (255u - alpha) + over * alpha + 127u) / 255u);
}

struct AlphaSource {
  const uint8_t* data = nullptr;
  int linesize = 0;
  int sw = 0;  // how far the plane's coordinates are shifted against the picture's
  int sh = 0;
  uint8_t At(uint32_t x, uint32_t y) const { return data[size_t(y >> sh) * linesize + (x >> sw)]; }
};

}  // namespace

void AlphaInserter::ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& alpha) {
  IDataVideo& picture = CheckedFrame(frame, "picture");
  const IDataVideo& mask = CheckedFrame(alpha, "alpha");
  if (mask.GetPixelFormat() != AV_PIX_FMT_GRAY8) ThrowEffect("The alpha frame must be 8-bit grey");
  if (mask.GetWidth() < picture.GetWidth() || mask.GetHeight() < picture.GetHeight()) {
    ThrowEffect("The alpha frame is smaller than the picture");
  }
  DataVideoPtr view = picture.CreateView();
  Picture& p = view->GetPicture();
  p.data[ALPHA_PLANE] = const_cast<uint8_t*>(mask.GetPicture().data[0]);
  p.linesize[ALPHA_PLANE] = mask.GetPicture().linesize[0];
  frame = view;
}

void AlphaExtractor::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(Conf::IFormatCodecVideo::TAG_PIX_FMT)) {
    pictureFormat_ = static_cast<AVPixelFormat>(Core::GetValue<int>(settings[Conf::IFormatCodecVideo::TAG_PIX_FMT]));
  }
}

void AlphaExtractor::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(pictureFormat_));
}

void AlphaExtractor::ProcessInternal(DataVideoPtr& frame) {
  const IDataVideo& input = CheckedFrame(frame, "alpha");
  int sw = 0, sh = 0;
  ChromaShifts(pictureFormat_, sw, sh);
  if (input.GetPixelFormat() == AV_PIX_FMT_GRAY8 && sw == 0 && sh == 0) return;  // already the plane wanted

  // The full-resolution alpha: the input's alpha channel, or its luminance.
  DataVideoPtr converted;
  const IDataVideo* source = &input;
  PackedLayout layout = GetPackedLayout(input.GetPixelFormat());
  if (!layout.Valid()) {
    converted = ConvertFrame(input, FormatHasAlpha(input.GetPixelFormat()) ? AV_PIX_FMT_YA8 : AV_PIX_FMT_GRAY8);
    source = converted.get();
    layout = GetPackedLayout(converted->GetPixelFormat());
  }
  const uint32_t w = input.GetWidth();
  const uint32_t h = input.GetHeight();
  const uint32_t ow = (w + (1u << sw) - 1) >> sw;
  const uint32_t oh = (h + (1u << sh) - 1) >> sh;
  DataVideoPtr result = AllocateLike(input, AV_PIX_FMT_GRAY8, ow, oh);
  const Picture& sp = source->GetPicture();
  Picture& rp = result->GetPicture();
  auto valueAt = [&](uint32_t x, uint32_t y) -> unsigned {
    const uint8_t* s = sp.data[0] + size_t(y) * sp.linesize[0] + size_t(x) * layout.bpp;
    if (layout.a >= 0) return s[layout.a];
    return layout.grey ? s[0] : Luma(s[layout.r], s[layout.g], s[layout.b]);
  };
  for (uint32_t oy = 0; oy < oh; ++oy) {
    uint8_t* out = rp.data[0] + size_t(oy) * rp.linesize[0];
    const uint32_t y0 = oy << sh;
    const uint32_t y1 = std::min(h, (oy + 1) << sh);
    for (uint32_t ox = 0; ox < ow; ++ox) {
      const uint32_t x0 = ox << sw;
      const uint32_t x1 = std::min(w, (ox + 1) << sw);
      unsigned sum = 0;
      for (uint32_t y = y0; y < y1; ++y) {
        for (uint32_t x = x0; x < x1; ++x) sum += valueAt(x, y);
      }
      const unsigned count = (y1 - y0) * (x1 - x0);
      out[ox] = static_cast<uint8_t>((sum + count / 2) / count);
    }
  }
  frame = result;
}

void Blend::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(BLENDING_ALPHA)) {
    alpha_ = std::clamp<long long>(Core::GetValue<long long>(settings[BLENDING_ALPHA]), 0, 255);
  }
  if (settings.ChildExists(BLENDING_POSITION_X)) x_ = Core::GetValue<long long>(settings[BLENDING_POSITION_X]);
  if (settings.ChildExists(BLENDING_POSITION_Y)) y_ = Core::GetValue<long long>(settings[BLENDING_POSITION_Y]);
}

void Blend::WriteSettings(Core::Property& settings) const {
  settings.SetChildT(BLENDING_ALPHA, static_cast<long long>(alpha_));
  settings.SetChildT(BLENDING_POSITION_X, static_cast<long long>(x_));
  settings.SetChildT(BLENDING_POSITION_Y, static_cast<long long>(y_));
}

void Blend::ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& pictureIn) {
  IDataVideo& target = CheckedFrame(frame, "target");
  const IDataVideo* picture = &CheckedFrame(pictureIn, "picture");
  const AVPixelFormat format = target.GetPixelFormat();

  // A picture wholly outside the target is skipped before any sum with its position, which a
  // settings tree may put near the ends of the 64-bit range.
  if (x_ >= int64_t(target.GetWidth()) || y_ >= int64_t(target.GetHeight()) ||
      x_ <= -int64_t(picture->GetWidth()) || y_ <= -int64_t(picture->GetHeight())) {
    return;
  }
  // The visible part of the picture, in target coordinates.
  const int64_t left = std::max<int64_t>(x_, 0);
  const int64_t top = std::max<int64_t>(y_, 0);
  const int64_t right = std::min<int64_t>(x_ + picture->GetWidth(), target.GetWidth());
  const int64_t bottom = std::min<int64_t>(y_ + picture->GetHeight(), target.GetHeight());
  if (left >= right || top >= bottom || alpha_ == 0) return;

  DataVideoPtr converted;
  if (picture->GetPixelFormat() != format) {
    // Only the picture's own pixels are converted; its alpha planes stay with it.
    converted = ConvertFrame(*picture, format);
    for (int p : {EXTRA_ALPHA_PLANE, ALPHA_PLANE}) {
      converted->GetPicture().data[p] = picture->GetPicture().data[p];
      converted->GetPicture().linesize[p] = picture->GetPicture().linesize[p];
    }
    picture = converted.get();
  }
  const Picture& pp = picture->GetPicture();
  Picture& tp = target.GetPicture();
  const unsigned global = static_cast<unsigned>(alpha_);

  int csw = 0, csh = 0;
  ChromaShifts(format, csw, csh);
  // Full-resolution alpha: plane 7, else plane 6 (then at chroma resolution for planar formats).
  AlphaSource full;
  AlphaSource chroma;
  if (pp.data[ALPHA_PLANE]) full = {pp.data[ALPHA_PLANE], pp.linesize[ALPHA_PLANE], 0, 0};
  if (pp.data[EXTRA_ALPHA_PLANE]) chroma = {pp.data[EXTRA_ALPHA_PLANE], pp.linesize[EXTRA_ALPHA_PLANE], 0, 0};
  if (!full.data && chroma.data) full = {chroma.data, chroma.linesize, csw, csh};
  if (!chroma.data && full.data) chroma = {full.data, full.linesize, -csw, -csh};

  const PackedLayout layout = GetPackedLayout(format);
  if (layout.Valid()) {
    const uint32_t px0 = static_cast<uint32_t>(left - x_);
    const uint32_t py0 = static_cast<uint32_t>(top - y_);
    for (int64_t y = top; y < bottom; ++y) {
      const uint32_t py = py0 + static_cast<uint32_t>(y - top);
      const uint8_t* s = pp.data[0] + size_t(py) * pp.linesize[0] + size_t(px0) * layout.bpp;
      uint8_t* t = tp.data[0] + size_t(y) * tp.linesize[0] + size_t(left) * layout.bpp;
      for (int64_t x = left; x < right; ++x, s += layout.bpp, t += layout.bpp) {
        const uint32_t px = px0 + static_cast<uint32_t>(x - left);
        unsigned a = full.data ? full.At(px, py) : (layout.a >= 0 ? s[layout.a] : 255u);
        a = (a * global + 127u) / 255u;
        if (a == 0) continue;
        if (layout.grey) {
          t[0] = Mix(t[0], s[0], a);
        } else {
          t[layout.r] = Mix(t[layout.r], s[layout.r], a);
          t[layout.g] = Mix(t[layout.g], s[layout.g], a);
          t[layout.b] = Mix(t[layout.b], s[layout.b], a);
        }
      }
    }
    return;
  }

  if (!IsPlanar8(format)) ThrowEffect("Blending is not supported for " + Conf::PixelFormatToTextID(format));
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  for (int plane = 0; plane < desc->nb_components; ++plane) {
    const bool sub = (plane == 1 || plane == 2) && (csw || csh) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    const int sw = sub ? csw : 0;
    const int sh = sub ? csh : 0;
    const AlphaSource& alpha = sub ? chroma : full;
    const int64_t l = left >> sw, r = (right + (1 << sw) - 1) >> sw;
    const int64_t t0 = top >> sh, b = (bottom + (1 << sh) - 1) >> sh;
    const int64_t ox = x_ >> sw, oy = y_ >> sh;
    const int64_t pw = (int64_t(picture->GetWidth()) + (1 << sw) - 1) >> sw;
    const int64_t ph = (int64_t(picture->GetHeight()) + (1 << sh) - 1) >> sh;
    for (int64_t y = t0; y < b; ++y) {
      const int64_t py = y - oy;
      if (py < 0 || py >= ph) continue;
      uint8_t* trow = tp.data[plane] + size_t(y) * tp.linesize[plane];
      const uint8_t* srow = pp.data[plane] + size_t(py) * pp.linesize[plane];
      for (int64_t x = l; x < r; ++x) {
        const int64_t px = x - ox;
        if (px < 0 || px >= pw) continue;
        unsigned a = 255;
        if (alpha.data) {
          // A negative shift samples a full-resolution plane at the subsampled position.
          a = alpha.sw >= 0 ? alpha.At(uint32_t(px), uint32_t(py))
                            : alpha.data[size_t(py << -alpha.sh) * alpha.linesize + size_t(px << -alpha.sw)];
        }
        a = (a * global + 127u) / 255u;
        if (a) trow[x] = Mix(trow[x], srow[px], a);
      }
    }
  }
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
