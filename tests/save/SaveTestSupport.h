// Shared pieces of the save tests: pictures written and read back through the codec framework
// and an engine whose protected state the tests reach; the common helpers come from
// support/EngineSupport.h.
#pragma once

#include "support/EngineSupport.h"

#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/IOHelperSave.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace SaveTest {

using Zentor::BlobPtr;
using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Conf::IFormatFile;
using Zentor::Core::Property;
using Zentor::Glimra::Helpers::IOHelperSave;
using Zentor::Proc::DataVideoPtr;
using Zentor::Proc::IImageMetadata;
namespace Glimra = Zentor::Glimra;

using TestSupport::CoreHandler;
using TestSupport::DrawerHandler;
using TestSupport::ReadFile;
using TestSupport::WriteFile;
using StatisticsHandler = TestSupport::NoStatistics;

struct TempFolder : TestSupport::TempFolder {
  TempFolder() : TestSupport::TempFolder("save") {}
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
  TestSupport::WriteEncoded(path, frame, TestSupport::CodecPreset(codecId));
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

// Collects the warnings logged while it exists.
class WarningCapture : public TestSupport::LogCapture {
 public:
  WarningCapture() : LogCapture(google::GLOG_WARNING) {}
  std::vector<std::string> Lines() { return Texts(google::GLOG_WARNING); }
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

// An engine over the image, with a fresh session in its own subfolder, and both handlers registered.
struct Engine {
  Engine(const TempFolder& folder, const std::string& image) {
    const std::string session = folder.File("session-" + std::to_string(++count));
    boost::filesystem::create_directories(session);
    const Glimra::IGlimraCore::Initializer init =
        TestSupport::MakeInitializer(session + "/", image, &statistics);
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
