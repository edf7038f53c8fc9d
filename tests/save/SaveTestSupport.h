// Shared pieces of the save tests: a temporary folder, pictures written and read back through the
// codec framework, recording handlers and an engine whose protected state the tests reach.
#pragma once

#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Codecs/CodecFactory.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/DataAccess/DataHelper.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"
#include "Proc/Interfaces/StreamOneFrame.h"

#include <boost/filesystem.hpp>
#include <glog/logging.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace SaveTest {

using Zentor::BlobPtr;
using Zentor::Core::Property;
using Zentor::Proc::DataVideoPtr;
namespace Glimra = Zentor::Glimra;

class TempFolder {
 public:
  TempFolder()
      : path_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("save-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
  }
  std::string Folder() const { return path_.string() + "/"; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of the files in the folder, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : boost::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  boost::filesystem::path path_;
};

// A frame of one colour; bytes in the format's own order (RGB24: r, g, b; BGR0/BGRA: b, g, r, a).
inline DataVideoPtr Filled(AVPixelFormat format, uint32_t width, uint32_t height, std::vector<uint8_t> pixel) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(format, width, height);
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (uint32_t x = 0; x < width; ++x) std::memcpy(row + x * pixel.size(), pixel.data(), pixel.size());
  }
  return frame;
}

// Encodes a frame with the codec framework's preset for the codec and writes the file.
inline void WriteImage(const std::string& path, const DataVideoPtr& frame, const char* codecId) {
  const Property settings =
      Zentor::Core::CreateDataHelper(Zentor::Conf::IPreset::KEY_FILTER_VIDEO_CODEC, codecId)->GetSettings();
  Zentor::Proc::StreamVideoPtr stream(new Zentor::Proc::StreamOneFrameVideo(frame));
  const BlobPtr bytes = Zentor::Core::GetCodecFactory()->CreateEncoder(stream, settings)->ReadPacket();
  Zentor::Core::WriteWholeFileAtomic(path, bytes->Data(), bytes->Size());
}

inline std::string ReadFile(const std::string& path) { return Zentor::Core::ReadWholeFile(path); }

inline void WriteFile(const std::string& path, const std::string& bytes) {
  Zentor::Core::WriteWholeFileAtomic(path, bytes.data(), bytes.size());
}

// The file decoded by the codec framework, converted to the given format.
inline DataVideoPtr Decode(const std::string& path, AVPixelFormat format = AV_PIX_FMT_RGB24) {
  const Zentor::Proc::StreamVideoPtr decoder =
      Zentor::Core::GetCodecFactory()->CreateDecoder(Glimra::GlimraCore::GetStreamRaw(path));
  DataVideoPtr frame = decoder->Read();
  if (!frame) return frame;
  Zentor::Proc::OneInputEffectPtr converter =
      Zentor::Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
          Zentor::Proc::IColorSpaceConverter::CLASS_ID, Zentor::Proc::ImplNames::DEFAULT);
  Property settings = Zentor::Proc::IColorSpaceConverter::MakeSettings({format});
  settings.SetChildT(Zentor::Proc::IColorSpaceConverter::HAZ_ALPHA, true);
  converter->SetSettings(settings);
  converter->Process(frame);
  return frame;
}

inline const uint8_t* Pixel(const Zentor::Proc::IDataVideo& frame, uint32_t x, uint32_t y, int bytes) {
  return frame.GetPicture().data[0] + ptrdiff_t(y) * frame.GetPicture().linesize[0] + ptrdiff_t(x) * bytes;
}

// The bytes of plane 0, row after row without padding.
inline std::string PlaneBytes(const Zentor::Proc::IDataVideo& frame) {
  const int rowBytes = Zentor::Proc::GetPlaneRowBytes(frame.GetPixelFormat(), 0, frame.GetWidth());
  std::string bytes;
  for (uint32_t y = 0; y < frame.GetHeight(); ++y) {
    bytes.append(reinterpret_cast<const char*>(Pixel(frame, 0, y, 0)), size_t(rowBytes));
  }
  return bytes;
}

class StatisticsHandler : public Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string&, const StringParameters&) override {}
  void TrackEventInt(const std::string&, const IntParameters&) override {}
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
};

class CoreHandler : public Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr error) override { errors.push_back(error); }
  // Rethrows error i so that a test can look at its type.
  void Rethrow(size_t i) const { boost::rethrow_exception(errors.at(i)); }
  std::vector<boost::exception_ptr> errors;
};

class DrawerHandler : public Glimra::IDrawerEventHandler {
 public:
  void HandleEvent() override { ++events; }
  void HandleEventChangeToSave(bool changed) override { changes.push_back(changed); }
  int events = 0;
  std::vector<bool> changes;
};

// Collects the warnings logged while it exists.
class WarningCapture : public google::LogSink {
 public:
  // Warnings reach the sink even when the run hides them.
  WarningCapture() : level_(FLAGS_minloglevel) {
    FLAGS_minloglevel = std::min<int>(level_, google::GLOG_WARNING);
    google::AddLogSink(this);
  }
  ~WarningCapture() override {
    google::RemoveLogSink(this);
    FLAGS_minloglevel = level_;
  }
  void send(google::LogSeverity severity, const char*, const char*, int, const google::LogMessageTime&,
            const char* message, size_t length) override {
    if (severity != google::GLOG_WARNING) return;
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.emplace_back(message, length);
  }
  std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  int level_;
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// The engine with its protected state reachable.
class TestEngine : public Glimra::GlimraCore {
 public:
  using GlimraCore::GlimraCore;
  using GlimraCore::Save;
  Zentor::Proc::ImageMetadataPtr& Metadata() { return metadata; }
  uint64_t EffectCount() const { return effectCount.load(); }
  const std::string& FilePath() const { return filePath; }
};

using EnginePtr = boost::intrusive_ptr<TestEngine>;

inline std::function<std::string()> NameGenerator() {
  auto counter = std::make_shared<std::atomic<int>>(0);
  return [counter] { return "swap" + std::to_string(++*counter); };
}

// An engine over the image, with a fresh session in its own subfolder, and both handlers registered.
struct Engine {
  Engine(const TempFolder& folder, const std::string& image) {
    const std::string session = folder.File("session-" + std::to_string(++count));
    boost::filesystem::create_directories(session);
    Glimra::IGlimraCore::Initializer init;
    init.version = "1.0";
    init.sessionId = "last";
    init.filePath = image;
    init.tempFolder = session + "/";
    init.tempNameGenerator = NameGenerator();
    init.statisticsHandler = &statistics;
    engine.reset(new TestEngine(init));
    engine->RegisterCoreEventHandler(&core);
    engine->RegisterDrawerEventHandler(&drawer);
  }
  TestEngine* operator->() const { return engine.get(); }
  Glimra::IGlimraUndo& Store() const { return *engine->GetUndoStore(); }

  static inline int count = 0;
  StatisticsHandler statistics;
  CoreHandler core;
  DrawerHandler drawer;
  EnginePtr engine;
};

// Save settings for a file: codec, extension and the six flags.
inline Property SaveSettings(const std::string& path, const char* codecId, const std::string& extension) {
  using Zentor::Proc::IImageMetadata;
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(Zentor::Conf::IFormatFile::TAG_FILENAME, path);
  settings.SetChildT(Zentor::Conf::IFormatCodec::TAG_CODEC_ID, std::string(codecId));
  settings.SetChildT(Zentor::Conf::IFormatFile::TAG_FILE_EXTENSION, extension);
  for (const char* flag :
       {IImageMetadata::SAVE_EXIF, IImageMetadata::SAVE_IPTC, IImageMetadata::SAVE_COMMENT, IImageMetadata::SAVE_XMP,
        IImageMetadata::SAVE_THUMBNAIL, IImageMetadata::UPDATE_THUMBNAIL}) {
    settings.SetChildT(flag, true);
  }
  return settings;
}

// Replaces the current picture step, keeping the frame information the test gives.
inline void SetPicture(Engine& engine, const Property& info, const DataVideoPtr& picture) {
  engine.Store().Set(info, picture, DataVideoPtr());
}

}  // namespace SaveTest
