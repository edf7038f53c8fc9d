// What the engine's fuzz targets share: quiet handlers and small pictures written as PNG.
#pragma once

#include "FuzzSupport.h"

#include "GlimraCore/GlimraCore.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <string>

namespace FuzzSupport {

class NoStatistics : public Zentor::Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string&, const StringParameters&) override {}
  void TrackEventInt(const std::string&, const IntParameters&) override {}
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
};

// What the engine refuses is reported here, as it is to the program; refusals are expected.
class IgnoreErrors : public Zentor::Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr) override {}
};

inline Zentor::Proc::DataVideoPtr Picture(uint32_t width, uint32_t height, int seed) {
  Zentor::Proc::DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, width, height);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (uint32_t x = 0; x < width * 3; ++x) row[x] = uint8_t(x * seed + y);
  }
  return frame;
}

inline void WritePng(const std::string& path, const Zentor::Proc::DataVideoPtr& frame) {
  using namespace Zentor;
  const Core::Property settings =
      Core::CreateDataHelper(Conf::IPreset::KEY_FILTER_VIDEO_CODEC, Conf::IFormatCodecVideo::CODEC_ID_PNG)->GetSettings();
  Proc::StreamVideoPtr stream(new Proc::StreamOneFrameVideo(frame));
  const BlobPtr bytes = Core::GetCodecFactory()->CreateEncoder(stream, settings)->ReadPacket();
  Core::WriteWholeFileAtomic(path, bytes->Data(), bytes->Size());
}

}  // namespace FuzzSupport
