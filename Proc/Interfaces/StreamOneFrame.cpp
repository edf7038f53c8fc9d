#include "Proc/Interfaces/StreamOneFrame.h"

namespace Zentor {
namespace Proc {

StreamOneFrameVideo::StreamOneFrameVideo(const DataVideoPtr& frame) : StreamOneFrame<IStreamVideo>(frame) {}
StreamOneFrameVideo::~StreamOneFrameVideo() = default;

void StreamOneFrameVideo::UpdateFormatCodec(Conf::IFormatCodecVideo& codec, const DataVideoPtr& frame) {
  using Codec = Conf::IFormatCodecVideo;
  codec.SetFrameRate(30, 1);
  Core::Property settings = codec.GetSettings();
  settings.SetChildT(Conf::IFormatCodec::TAG_BITRATE_MODE, std::string(Conf::IFormatCodec::TAG_BITRATE_MODE_VBR));
  if (frame) {
    settings.SetChildT(Codec::TAG_PIX_FMT, static_cast<long long>(frame->GetPixelFormat()));
    settings.SetChildT(Codec::TAG_WIDTH, static_cast<long long>(frame->GetWidth()));
    settings.SetChildT(Codec::TAG_HEIGHT, static_cast<long long>(frame->GetHeight()));
    settings.SetChildT(Codec::TAG_ASPECTX, static_cast<long long>(frame->GetAspectX()));
    settings.SetChildT(Codec::TAG_ASPECTY, static_cast<long long>(frame->GetAspectY()));
  }
  codec.SetSettings(settings);
}

}  // namespace Proc
}  // namespace Zentor
