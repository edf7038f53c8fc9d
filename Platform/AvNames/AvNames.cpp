#include "Platform/AvNames/AvNames.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace Zentor {
namespace AvNames {

namespace {

// libav names its codecs after video streams; a picture is known by its format's name.
const char* StillImageName(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_BMP: return "BMP";
    case AV_CODEC_ID_DPX: return "DPX";
    case AV_CODEC_ID_GIF: return "GIF";
    case AV_CODEC_ID_MJPEG: return "JPEG";
    case AV_CODEC_ID_JPEG2000: return "JPEG 2000";
    case AV_CODEC_ID_PBM: return "PBM";
    case AV_CODEC_ID_PCX: return "PCX";
    case AV_CODEC_ID_PGM: return "PGM";
    case AV_CODEC_ID_PNG: return "PNG";
    case AV_CODEC_ID_PPM: return "PPM";
    case AV_CODEC_ID_TARGA: return "TGA";
    case AV_CODEC_ID_TIFF: return "TIFF";
    case AV_CODEC_ID_XBM: return "XBM";
    default: return nullptr;
  }
}

// A build without long codec names still has the descriptor's.
std::string LongName(const AVCodec* codec, AVCodecID id) {
  if (id == AV_CODEC_ID_NONE) return std::string();
  if (const char* still = StillImageName(id)) return still;
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
