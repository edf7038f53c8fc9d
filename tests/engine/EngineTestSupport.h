// Shared pieces of the engine tests: generated images and an engine with its protected state
// reachable; the common helpers come from support/EngineSupport.h.
#pragma once

#include "support/EngineSupport.h"

#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraUndo.h"
#include "Platform/ImageTags/ImageMetadata.h"

#include <gtest/gtest.h>
#include <opencv2/core.hpp>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace EngineTest {

using Zentor::Core::Property;
using Zentor::Proc::DataVideoPtr;
namespace Glimra = Zentor::Glimra;

using TestSupport::CodecPreset;
using TestSupport::CoreHandler;
using TestSupport::DrawerHandler;
using TestSupport::LogCapture;
using TestSupport::NameGenerator;
using TestSupport::ReadFile;
using TestSupport::SamePixels;
using TestSupport::StatisticsHandler;
using TestSupport::WriteEncoded;
using TestSupport::WriteFile;

struct TempFolder : TestSupport::TempFolder {
  TempFolder() : TestSupport::TempFolder("engine") {}
};

// A BGR picture of coloured 16 x 16 blocks: block (bx, by) has a colour of its own.
inline cv::Scalar BlockColour(int bx, int by) {
  static const cv::Scalar colours[] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {0, 255, 255},
                                       {255, 0, 255}, {255, 255, 0}, {255, 255, 255}, {0, 0, 0}};
  return colours[(by * 4 + bx) % 8];
}

inline cv::Mat BlockPicture(int blocksX, int blocksY) {
  cv::Mat picture(blocksY * 16, blocksX * 16, CV_8UC3);
  for (int by = 0; by < blocksY; ++by) {
    for (int bx = 0; bx < blocksX; ++bx) picture(cv::Rect(bx * 16, by * 16, 16, 16)) = BlockColour(bx, by);
  }
  return picture;
}

// Encodes a BGR picture with the codec framework (PNG, or JPEG of the given quality scale, 1 best)
// and writes the bytes.
inline void WriteImage(const std::string& path, const cv::Mat& picture, int jpegQuality = 0) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_BGR24, uint32_t(picture.cols), uint32_t(picture.rows));
  for (int y = 0; y < picture.rows; ++y) {
    std::memcpy(frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0], picture.ptr(y),
                size_t(picture.cols) * 3);
  }
  const bool jpeg = path.substr(path.rfind('.')) == ".jpg";
  Property settings = CodecPreset(jpeg ? Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG
                                       : Zentor::Conf::IFormatCodecVideo::CODEC_ID_PNG);
  if (jpeg && jpegQuality > 0) settings.SetChildT(Zentor::Conf::IFormatCodec::TAG_QUALITY, jpegQuality);
  WriteEncoded(path, frame, settings);
}

// A PNG with a gradient, so that pictures differ byte by byte.
inline std::string WritePng(const TempFolder& folder, const std::string& name, int width, int height) {
  cv::Mat picture(height, width, CV_8UC3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(x * 3), uchar(y * 5), uchar(x + y));
  }
  const std::string path = folder.File(name);
  WriteImage(path, picture);
  return path;
}

// Overwrites EXIF values of a file ("Exif.Image.Orientation" -> "6" ...).
inline void WriteExif(const std::string& path, const std::vector<std::pair<std::string, std::string>>& values) {
  using Zentor::Proc::IImageMetadata;
  Zentor::Proc::ImageMetadataPtr metadata = Zentor::Proc::ImageMetadata::Create(path, nullptr);
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(Zentor::Conf::IFormatFile::TAG_FILENAME, path);
  Property& replace = settings.SetChild(IImageMetadata::REPLACE_SETTINGS);
  for (const auto& value : values) replace.SetChildT(value.first, value.second);
  metadata->Write(settings, nullptr);
}

// The engine with its protected state reachable.
class TestEngine : public Glimra::GlimraCore {
 public:
  using GlimraCore::GlimraCore;
  void SetSaveSettings(const Property& settings) { saveSettings = settings; }
  const Property& GetSaveSettings() const { return saveSettings; }
  const Glimra::GlimraBrushPtr& GetBrush() const { return brush; }
  const std::string& GetFilePath() const { return filePath; }
  Glimra::GlimraUndo& Store() const { return dynamic_cast<Glimra::GlimraUndo&>(*undoStore); }
};

// An engine whose run bookkeeping a test drives by hand.
class TestEngineRun : public Glimra::GlimraCore {
 public:
  using GlimraCore::GlimraCore;
  void Begin() { RunStarted(); }
  void End() { RunEnded(); }
};

inline boost::intrusive_ptr<TestEngine> MakeTestEngine(const Glimra::IGlimraCore::Initializer& init) {
  return boost::intrusive_ptr<TestEngine>(new TestEngine(init));
}

inline Glimra::IGlimraCore::Initializer MakeInit(const TempFolder& folder, const std::string& image,
                                                 StatisticsHandler* statistics, const std::string& session = "last") {
  return TestSupport::MakeInitializer(folder.Folder(), image, statistics, session);
}

}  // namespace EngineTest
