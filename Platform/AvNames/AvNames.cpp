#include "Platform/AvNames/AvNames.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace Zentor {
namespace AvNames {

namespace {

// A build without long codec names still has the descriptor's.
std::string LongName(const AVCodec* codec, AVCodecID id) {
  if (id == AV_CODEC_ID_NONE) return std::string();
  if (codec && codec->long_name) return codec->long_name;
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(id);
  return descriptor && descriptor->long_name ? descriptor->long_name : std::string();
}

}  // namespace

std::string GetLongDecoderName(int codecId) {
  const auto id = static_cast<AVCodecID>(codecId);
  return LongName(avcodec_find_decoder(id), id);
}

std::string GetLongEncoderName(int codecId) {
  const auto id = static_cast<AVCodecID>(codecId);
  return LongName(avcodec_find_encoder(id), id);
}

}  // namespace AvNames
}  // namespace Zentor
