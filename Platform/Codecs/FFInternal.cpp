#include "Platform/Codecs/FFInternal.h"

#include "Platform/Formats/IFormatCodec.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <glog/logging.h>

#include <cstdarg>
#include <mutex>

namespace Zentor {
namespace Proc {
namespace FF {

AVCodecID CodecIdToAV(const std::string& codecId) {
  if (codecId.empty() || codecId == Conf::IFormatCodec::CODEC_ID_NONE) return AV_CODEC_ID_NONE;
  if (const AVCodecDescriptor* d = avcodec_descriptor_get_by_name(codecId.c_str())) return d->id;
  return AV_CODEC_ID_NONE;
}

std::string CodecIdFromAV(AVCodecID id) {
  if (id == AV_CODEC_ID_NONE) return Conf::IFormatCodec::CODEC_ID_NONE;
  return avcodec_get_name(id);
}

std::string ErrorText(int averror) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(averror, text, sizeof text);
  return text;
}

namespace {

void LogCallback(void* avcl, int level, const char* format, va_list args) {
  if (level > AV_LOG_WARNING || !VLOG_IS_ON(1)) return;
  char line[1024];
  int prefix = 1;
  av_log_format_line2(avcl, level, format, args, line, sizeof line, &prefix);
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  VLOG(1) << "ffmpeg: " << text;
}

}  // namespace

void InitLogging() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_callback(&LogCallback); });
}

}  // namespace FF
}  // namespace Proc
}  // namespace Zentor
