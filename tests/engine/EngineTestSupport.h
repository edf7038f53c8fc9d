// Shared pieces of the engine tests: a temporary folder, generated images, recording handlers,
// a log capture and an engine with its protected state reachable.
#pragma once

#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraUndo.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <boost/filesystem.hpp>
#include <glog/logging.h>
#include <gtest/gtest.h>
#include <opencv2/core.hpp>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace EngineTest {

using Zentor::Core::Property;
using Zentor::Proc::DataVideoPtr;
namespace Glimra = Zentor::Glimra;

class TempFolder {
 public:
  TempFolder()
      : path_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("engine-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
  }
  // Ends with a separator, as the engine expects.
  std::string Folder() const { return path_.string() + "/"; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  boost::filesystem::path path_;
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
  Property settings =
      Zentor::Core::CreateDataHelper(Zentor::Conf::IPreset::KEY_FILTER_VIDEO_CODEC,
                                     jpeg ? Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG
                                          : Zentor::Conf::IFormatCodecVideo::CODEC_ID_PNG)
          ->GetSettings();
  if (jpeg && jpegQuality > 0) settings.SetChildT(Zentor::Conf::IFormatCodec::TAG_QUALITY, jpegQuality);
  Zentor::Proc::StreamVideoPtr stream(new Zentor::Proc::StreamOneFrameVideo(frame));
  const Zentor::BlobPtr bytes = Zentor::Core::GetCodecFactory()->CreateEncoder(stream, settings)->ReadPacket();
  Zentor::Core::WriteWholeFileAtomic(path, bytes->Data(), bytes->Size());
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

class StatisticsHandler : public Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string& name, const StringParameters&) override { names.push_back(name); }
  void TrackEventInt(const std::string& name, const IntParameters&) override { names.push_back(name); }
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
  std::vector<std::string> names;
};

class CoreHandler : public Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr error) override { errors.push_back(error); }
  std::vector<boost::exception_ptr> errors;
};

class DrawerHandler : public Glimra::IDrawerEventHandler {
 public:
  void HandleEvent() override { ++events; }
  void HandleEventChangeToSave(bool changed) override { changes.push_back(changed); }
  int events = 0;
  std::vector<bool> changes;
};

// Collects log lines, INFO included, while it exists.
class LogCapture : public google::LogSink {
 public:
  LogCapture() : level_(FLAGS_minloglevel) {
    FLAGS_minloglevel = google::GLOG_INFO;
    google::AddLogSink(this);
  }
  ~LogCapture() override {
    google::RemoveLogSink(this);
    FLAGS_minloglevel = level_;
  }
  void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
            const char* message, size_t length) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(severity, std::string(message, length));
  }
  std::vector<std::pair<google::LogSeverity, std::string>> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  // The lines of the session load and its fallback, in order.
  std::vector<std::string> SessionLines() {
    std::vector<std::string> result;
    for (const auto& line : Lines()) {
      const std::string& text = line.second;
      if (text.find("session") != std::string::npos || line.first == google::GLOG_WARNING) {
        result.push_back((line.first == google::GLOG_WARNING ? "W " : "I ") + text);
      }
    }
    return result;
  }

 private:
  const int level_;
  std::mutex mutex_;
  std::vector<std::pair<google::LogSeverity, std::string>> lines_;
};

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

// Names that never repeat, as the program's temporary-name function gives them.
inline std::function<std::string()> NameGenerator(const std::string& prefix = "swap") {
  auto counter = std::make_shared<std::atomic<int>>(0);
  return [counter, prefix] { return prefix + std::to_string(++*counter); };
}

inline Glimra::IGlimraCore::Initializer MakeInit(const TempFolder& folder, const std::string& image,
                                                 StatisticsHandler* statistics, const std::string& session = "last") {
  Glimra::IGlimraCore::Initializer init;
  init.version = "1.0";
  init.sessionId = session;
  init.filePath = image;
  init.tempFolder = folder.Folder();
  init.tempNameGenerator = NameGenerator();
  init.statisticsHandler = statistics;
  return init;
}

// Plane 0 rows of two frames, compared over the picture's bytes only.
inline bool SamePixels(const Zentor::Proc::IDataVideo& a, const Zentor::Proc::IDataVideo& b) {
  if (a.GetPixelFormat() != b.GetPixelFormat() || a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    return false;
  }
  const int rowBytes = Zentor::Proc::GetPlaneRowBytes(a.GetPixelFormat(), 0, a.GetWidth());
  for (uint32_t y = 0; y < a.GetHeight(); ++y) {
    const uint8_t* ra = a.GetPicture().data[0] + ptrdiff_t(y) * a.GetPicture().linesize[0];
    const uint8_t* rb = b.GetPicture().data[0] + ptrdiff_t(y) * b.GetPicture().linesize[0];
    if (std::memcmp(ra, rb, size_t(rowBytes)) != 0) return false;
  }
  return true;
}

inline std::string ReadFile(const std::string& path) { return Zentor::Core::ReadWholeFile(path); }

inline void WriteFile(const std::string& path, const std::string& text) {
  Zentor::Core::WriteWholeFileAtomic(path, text.data(), text.size());
}

}  // namespace EngineTest
