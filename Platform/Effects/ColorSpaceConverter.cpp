#include "Platform/Effects/ColorSpaceConverter.h"

#include "Platform/Effects/ParallelRows.h"
#include "Platform/Effects/PixelLayout.h"

extern "C" {
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

std::string FormatText(AVPixelFormat format) {
  const char* name = av_get_pix_fmt_name(format);
  return name ? name : "pixel format " + std::to_string(static_cast<int>(format));
}

void Shuffle(const IDataVideo& source, const PackedLayout& from, IDataVideo& target, const PackedLayout& to) {
  const Picture& sp = source.GetPicture();
  Picture& tp = target.GetPicture();
  const uint32_t width = source.GetWidth();
  ParallelRows(source.GetHeight(), uint64_t(width) * source.GetHeight() * to.bpp, [&](uint32_t y) {
    const uint8_t* s = sp.data[0] + size_t(y) * sp.linesize[0];
    uint8_t* t = tp.data[0] + size_t(y) * tp.linesize[0];
    for (uint32_t x = 0; x < width; ++x, s += from.bpp, t += to.bpp) {
      const uint8_t alpha = from.a >= 0 ? s[from.a] : 255;
      if (to.grey) {
        t[0] = from.grey ? s[0] : Luma(s[from.r], s[from.g], s[from.b]);
      } else {
        t[to.r] = s[from.r];
        t[to.g] = s[from.g];
        t[to.b] = s[from.b];
      }
      if (to.a >= 0) t[to.a] = alpha;
      if (to.pad >= 0) t[to.pad] = 255;
    }
  });
}

// libswscale wants the plain YUV formats with the range given apart.
AVPixelFormat PlainFormat(AVPixelFormat format, int& fullRange) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: fullRange = 1; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = 1; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = 1; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = 1; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = 1; return AV_PIX_FMT_YUV411P;
    default: break;
  }
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  fullRange = desc && (desc->flags & AV_PIX_FMT_FLAG_RGB) ? 1 : 0;
  if (FormatIsGrey(format)) fullRange = 1;
  return format;
}

void Scale(const IDataVideo& source, IDataVideo& target) {
  int srcRange = 0;
  int dstRange = 0;
  const AVPixelFormat from = PlainFormat(source.GetPixelFormat(), srcRange);
  const AVPixelFormat to = PlainFormat(target.GetPixelFormat(), dstRange);
  if (!sws_isSupportedInput(from)) ThrowEffect("Cannot convert from " + FormatText(source.GetPixelFormat()));
  if (!sws_isSupportedOutput(to)) ThrowEffect("Cannot convert to " + FormatText(target.GetPixelFormat()));
  const int w = static_cast<int>(source.GetWidth());
  const int h = static_cast<int>(source.GetHeight());
  std::unique_ptr<SwsContext, void (*)(SwsContext*)> context(
      sws_getContext(w, h, from, w, h, to, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP,
                     nullptr, nullptr, nullptr),
      sws_freeContext);
  if (!context) {
    ThrowEffect("Cannot convert " + FormatText(source.GetPixelFormat()) + " to " +
                FormatText(target.GetPixelFormat()));
  }
  int* invTable = nullptr;
  int* table = nullptr;
  int oldSrcRange = 0, oldDstRange = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(context.get(), &invTable, &oldSrcRange, &table, &oldDstRange, &brightness, &contrast,
                               &saturation) >= 0) {
    sws_setColorspaceDetails(context.get(), invTable, srcRange, table, dstRange, brightness, contrast, saturation);
  }
  const Picture& sp = source.GetPicture();
  Picture& tp = target.GetPicture();
  const uint8_t* const srcData[4] = {sp.data[0], sp.data[1], sp.data[2], sp.data[3]};
  const int srcStride[4] = {sp.linesize[0], sp.linesize[1], sp.linesize[2], sp.linesize[3]};
  uint8_t* const dstData[4] = {tp.data[0], tp.data[1], tp.data[2], tp.data[3]};
  const int dstStride[4] = {tp.linesize[0], tp.linesize[1], tp.linesize[2], tp.linesize[3]};
  if (sws_scale(context.get(), srcData, srcStride, 0, h, dstData, dstStride) != h) {
    ThrowEffect("Conversion of " + FormatText(source.GetPixelFormat()) + " failed");
  }
}

}  // namespace

AVPixelFormat ChooseTargetFormat(AVPixelFormat input, const std::vector<AVPixelFormat>& accepted, bool hazAlpha) {
  for (AVPixelFormat format : accepted) {
    if (format == input) return input;
  }
  // Keeping the colour outranks the alpha choice; ties go to the earlier entry.
  const bool wantAlpha = hazAlpha && FormatHasAlpha(input);
  const bool grey = FormatIsGrey(input);
  AVPixelFormat best = AV_PIX_FMT_NONE;
  int bestScore = -1;
  for (AVPixelFormat format : accepted) {
    const int score = (FormatIsGrey(format) == grey ? 2 : 0) + (FormatHasAlpha(format) == wantAlpha ? 1 : 0);
    if (score > bestScore) {
      best = format;
      bestScore = score;
    }
  }
  return best;
}

DataVideoPtr ConvertFrame(const IDataVideo& source, AVPixelFormat target) {
  DataVideoPtr result = AllocateLike(source, target, source.GetWidth(), source.GetHeight());
  if (source.GetWidth() == 0 || source.GetHeight() == 0) return result;
  const PackedLayout from = GetPackedLayout(source.GetPixelFormat());
  const PackedLayout to = GetPackedLayout(target);
  if (from.Valid() && to.Valid()) {
    Shuffle(source, from, *result, to);
  } else {
    Scale(source, *result);
  }
  return result;
}

void ColorSpaceConverter::ReadSettings(const Core::Property& settings) {
  if (settings.ChildExists(PIXEL_FORMATS)) {
    std::vector<AVPixelFormat> formats;
    for (const Core::Property& child : settings[PIXEL_FORMATS]) {
      const auto format = static_cast<AVPixelFormat>(Core::GetValue<int>(child));
      if (!av_pix_fmt_desc_get(format)) ThrowEffect("Unknown pixel format " + std::to_string(int(format)));
      formats.push_back(format);
    }
    formats_ = std::move(formats);
    hazAlpha_ = settings.ChildExists(HAZ_ALPHA) && Core::GetValue<bool>(settings[HAZ_ALPHA]);
  } else if (settings.ChildExists(HAZ_ALPHA)) {
    hazAlpha_ = Core::GetValue<bool>(settings[HAZ_ALPHA]);
  }
}

void ColorSpaceConverter::WriteSettings(Core::Property& settings) const {
  Core::Property& list = settings.SetChild(PIXEL_FORMATS);
  for (AVPixelFormat format : formats_) list.CreateChildT(PIXEL_FORMAT, static_cast<long long>(format));
  settings.SetChildT(HAZ_ALPHA, hazAlpha_);
}

void ColorSpaceConverter::ProcessInternal(DataVideoPtr& frame) {
  if (!frame) return;  // nothing to convert
  if (formats_.empty()) ThrowEffect(std::string(CLASS_ID) + " has no accepted pixel formats");
  const AVPixelFormat target = ChooseTargetFormat(frame->GetPixelFormat(), formats_, hazAlpha_);
  if (target == frame->GetPixelFormat()) return;
  frame = ConvertFrame(*frame, target);
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
