// FFmpeg glue shared by the media source, the decoders and the encoders (not installed).
#pragma once

#include "Core/Interfaces/Exception.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <string>

namespace Zentor {
namespace Proc {
namespace FF {

// Codec id texts are FFmpeg's codec names; CODEC_ID_NONE maps to AV_CODEC_ID_NONE.
AVCodecID CodecIdToAV(const std::string& codecId);
std::string CodecIdFromAV(AVCodecID id);

std::string ErrorText(int averror);

// Sends FFmpeg's messages to the log (verbose level 1); called before the first FFmpeg use.
void InitLogging();

// Implemented by raw streams of our media sources: the demuxer's parameters for the decoder.
class IStreamRawParameters {
 public:
  virtual ~IStreamRawParameters() = default;
  virtual const AVCodecParameters* GetCodecParameters() const = 0;
};

struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct CodecContextDeleter {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};

}  // namespace FF
}  // namespace Proc
}  // namespace Zentor
