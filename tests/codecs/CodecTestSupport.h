// Pictures, files and codec round trips for the codec tests.
#pragma once

#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/ServiceClient/ClientAPI.h"
#include "Proc/Interfaces/StreamOneFrame.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <boost/filesystem.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace CodecTest {

using namespace Zentor;

class TempDir {
 public:
  TempDir() : path_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("codecs-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempDir() {
    boost::system::error_code ec;
    boost::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  boost::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
inline void WriteFile(const std::string& path, const BlobPtr& blob) { WriteFile(path, blob->Data(), blob->Size()); }
inline void WriteFile(const std::string& path, const std::string& text) { WriteFile(path, text.data(), text.size()); }

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline BlobPtr ToBlob(const std::string& bytes) {
  BlobPtr blob = Blob::Create(bytes.size());
  std::copy(bytes.begin(), bytes.end(), blob->Data());
  return blob;
}

// Test picture: colour bars on the top half, a grey ramp below, in blocks of 4 x 4 pixels so that
// lossy and subsampled codecs keep them recognisable.
inline uint8_t Sample(uint32_t x, uint32_t y, uint32_t w, uint32_t h, int channel) {
  static const uint8_t bars[4][3] = {{220, 30, 30}, {30, 200, 40}, {40, 40, 210}, {250, 250, 250}};
  x -= x % 4;
  y -= y % 4;
  if (y < h / 2) return bars[(x * 4 / w) % 4][channel];
  return static_cast<uint8_t>(x * 255 / (w > 1 ? w - 1 : 1));
}

inline Proc::DataVideoPtr MakePicture(uint32_t w, uint32_t h) {
  Proc::DataVideoPtr frame = Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, w, h);
  Proc::Picture& p = frame->GetPicture();
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = p.data[0] + static_cast<size_t>(y) * p.linesize[0];
    for (uint32_t x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = Sample(x, y, w, h, c);
    }
  }
  return frame;
}

// Packed RGB24 copy of any frame.
inline std::vector<uint8_t> ToRgb24(const Proc::DataVideoPtr& frame) {
  const int w = static_cast<int>(frame->GetWidth());
  const int h = static_cast<int>(frame->GetHeight());
  std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3);
  SwsContext* sws = sws_getContext(w, h, frame->GetPixelFormat(), w, h, AV_PIX_FMT_RGB24,
                                   SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
  EXPECT_NE(sws, nullptr);
  if (!sws) return out;
  uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
  int lines[4] = {w * 3, 0, 0, 0};
  const Proc::Picture& p = frame->GetPicture();
  sws_scale(sws, p.data, p.linesize, 0, h, dst, lines);
  sws_freeContext(sws);
  return out;
}

// Mean absolute difference per sample between a frame and the test picture.
inline double DiffToPicture(const Proc::DataVideoPtr& frame, bool grey = false) {
  const uint32_t w = frame->GetWidth();
  const uint32_t h = frame->GetHeight();
  const std::vector<uint8_t> rgb = ToRgb24(frame);
  double sum = 0;
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* px = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      if (grey) {
        const double expected =
            0.299 * Sample(x, y, w, h, 0) + 0.587 * Sample(x, y, w, h, 1) + 0.114 * Sample(x, y, w, h, 2);
        sum += std::abs(px[0] - expected);
      } else {
        for (int c = 0; c < 3; ++c) sum += std::abs(px[c] - Sample(x, y, w, h, c));
      }
    }
  }
  return sum / (static_cast<double>(w) * h * (grey ? 1 : 3));
}

inline Core::Property CodecSettings(const std::string& codecId) {
  return Core::CreateDataHelper(Conf::IPreset::KEY_FILTER_VIDEO_CODEC, codecId)->GetSettings();
}

inline BlobPtr Encode(const Proc::DataVideoPtr& frame, const Core::Property& settings) {
  Proc::StreamVideoPtr stream(new Proc::StreamOneFrameVideo(frame));
  Proc::StreamRawPtr encoder = Core::GetCodecFactory()->CreateEncoder(stream, settings);
  return encoder->ReadPacket();
}

inline BlobPtr Encode(const Proc::DataVideoPtr& frame, const std::string& codecId) {
  return Encode(frame, CodecSettings(codecId));
}

struct Decoded {
  Proc::DataVideoPtr frame;
  Conf::FormatCodecVideoPtr codec;
};

inline Decoded DecodeSource(const ClientAPI::MediaSourcePtr& source) {
  for (int i = 0; i < source->GetStreamCount(); ++i) {
    if (source->GetStreamType(i) != ClientAPI::IMediaSource::STREAM_TYPE_VIDEO) continue;
    Proc::StreamRawPtr raw(dynamic_cast<Proc::IStreamRaw*>(source->GetStream(i).get()));
    Proc::StreamVideoPtr decoder = Core::GetCodecFactory()->CreateDecoder(raw);
    Decoded d;
    d.frame = decoder->Read();
    d.codec = decoder->GetFormatCodec();
    return d;
  }
  return Decoded();
}

inline Decoded DecodeFile(const std::string& path) { return DecodeSource(ClientAPI::OpenSource(path)); }
inline Decoded DecodeBytes(const BlobPtr& bytes) { return DecodeSource(ClientAPI::OpenSource(bytes)); }

inline std::string SettingText(const Conf::FormatCodecVideoPtr& codec, const char* key) {
  return Core::GetValue<std::string>(codec->GetSettings()[key]);
}

}  // namespace CodecTest
