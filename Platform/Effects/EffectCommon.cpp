#include "Platform/Effects/EffectBase.h"
#include "Platform/Effects/PixelLayout.h"
#include "Platform/Bedrock/Statistics.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace Zentor {
namespace Proc {
namespace Effects {

void ThrowEffect(const std::string& text) { ZENTOR_THROW_DESC(EffectException, text); }

void CheckSettingsName(const Core::Property& settings, const char* classId) {
  if (settings.GetName() != classId) ThrowEffect(std::string(classId) + " was initialized with incorrect class!");
}

Core::Property MakeSettingsTree(const char* classId, const std::string& implName) {
  Core::Property settings(classId);
  settings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(classId));
  settings.SetChildT(Conf::IPreset::KEY_TYPE_ID, implName);
  return settings;
}

Core::Property MakeEffectStatistics(int64_t time, uint64_t count, const std::string& implName) {
  Core::Property statistics = Core::MakeStatistics("GetStatistic", time, count);
  statistics.SetChildT(Core::PerformanceTimer::IMPL_NAME, implName);
  return statistics;
}

DataVideoPtr AllocateLike(const IDataVideo& source, AVPixelFormat format, uint32_t width, uint32_t height) {
  DataVideoPtr frame = DataVideoFF::Create(format, width, height, source.GetAspectX(), source.GetAspectY());
  frame->SetDuration(source.GetDuration());
  frame->SetTimestamp(source.GetTimestamp());
  return frame;
}

IDataVideo& CheckedFrame(const DataVideoPtr& frame, const char* what) {
  if (!frame) ThrowEffect(std::string("No ") + what + " frame");
  return *frame;
}

PackedLayout GetPackedLayout(AVPixelFormat format) {
  PackedLayout l;
  l.format = format;
  auto set = [&l](int bpp, int r, int g, int b, int a, int pad) {
    l.bpp = bpp;
    l.r = r;
    l.g = g;
    l.b = b;
    l.a = a;
    l.pad = pad;
  };
  switch (format) {
    case AV_PIX_FMT_RGB24: set(3, 0, 1, 2, -1, -1); break;
    case AV_PIX_FMT_BGR24: set(3, 2, 1, 0, -1, -1); break;
    case AV_PIX_FMT_RGBA: set(4, 0, 1, 2, 3, -1); break;
    case AV_PIX_FMT_BGRA: set(4, 2, 1, 0, 3, -1); break;
    case AV_PIX_FMT_ARGB: set(4, 1, 2, 3, 0, -1); break;
    case AV_PIX_FMT_ABGR: set(4, 3, 2, 1, 0, -1); break;
    case AV_PIX_FMT_RGB0: set(4, 0, 1, 2, -1, 3); break;
    case AV_PIX_FMT_BGR0: set(4, 2, 1, 0, -1, 3); break;
    case AV_PIX_FMT_0RGB: set(4, 1, 2, 3, -1, 0); break;
    case AV_PIX_FMT_0BGR: set(4, 3, 2, 1, -1, 0); break;
    case AV_PIX_FMT_GRAY8:
      set(1, 0, 0, 0, -1, -1);
      l.grey = true;
      break;
    case AV_PIX_FMT_YA8:
      set(2, 0, 0, 0, 1, -1);
      l.grey = true;
      break;
    default: l.format = AV_PIX_FMT_NONE; break;
  }
  return l;
}

bool FormatHasAlpha(AVPixelFormat format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  return desc && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

bool FormatIsGrey(AVPixelFormat format) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_PAL)) return false;
  if (format == AV_PIX_FMT_MONOWHITE || format == AV_PIX_FMT_MONOBLACK) return true;
  return desc->nb_components <= 2 && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
}

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
