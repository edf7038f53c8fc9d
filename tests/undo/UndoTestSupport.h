// Frames, a temporary folder and an event recorder for the undo store tests.
#pragma once

#include "support/FrameSupport.h"

#include "GlimraCore/GlimraUndo.h"

#include <boost/filesystem.hpp>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace UndoTest {

using Zentor::Proc::CropInfo;
using Zentor::Proc::DataVideoPtr;
using TestSupport::CountNonZero;
using TestSupport::SamePixels;

inline DataVideoPtr MakePicture(uint32_t width, uint32_t height, uint8_t seed,
                                AVPixelFormat format = AV_PIX_FMT_BGRA) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(format, width, height);
  const Zentor::Proc::Picture& p = frame->GetPicture();
  const int bytes = Zentor::Proc::GetPlaneRowBytes(format, 0, width);
  for (uint32_t y = 0; y < height; ++y) {
    for (int x = 0; x < bytes; ++x) p.data[0][y * p.linesize[0] + x] = static_cast<uint8_t>(seed + x * 7 + y * 13);
  }
  return frame;
}

// A GRAY8 mask with value inside rect and 0 elsewhere.
inline DataVideoPtr MakeMask(uint32_t width, uint32_t height, const CropInfo& rect, uint8_t value = 90) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
  const Zentor::Proc::Picture& p = frame->GetPicture();
  for (uint32_t y = rect.top; y < rect.bottom; ++y) std::memset(p.data[0] + y * p.linesize[0] + rect.left, value, rect.Width());
  return frame;
}

inline DataVideoPtr CopyOf(const DataVideoPtr& frame) { return frame ? frame->CreateCopy() : DataVideoPtr(); }

// A fresh folder below the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder() : path_(boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("undo-test-%%%%-%%%%")) {
    boost::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string() + "/"; }
  size_t FileCount() const {
    size_t count = 0;
    for (auto it = boost::filesystem::directory_iterator(path_); it != boost::filesystem::directory_iterator(); ++it) ++count;
    return count;
  }

 private:
  boost::filesystem::path path_;
};

// Names "swap1", "swap2", ...
inline Zentor::Glimra::IGlimraUndo::TempNameFunction Counter() {
  auto next = std::make_shared<std::atomic<int>>(0);
  return [next] { return "swap" + std::to_string(++*next); };
}

class Recorder : public Zentor::Glimra::IDrawerEventHandler {
 public:
  Recorder(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
  void HandleEvent() override { log_.push_back(name_ + ":event"); }
  void HandleEventChangeToSave(bool changed) override { log_.push_back(name_ + (changed ? ":changed" : ":saved")); }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

inline Zentor::Core::Property FrameInfo() { return Zentor::Core::Property(Zentor::Glimra::IGlimraUndo::TAG_FRAME_INFO); }

// Frame information of an effect result.
inline Zentor::Core::Property EffectInfo(const std::string& effect) {
  Zentor::Core::Property info(Zentor::Glimra::IGlimraUndo::TAG_FRAME_INFO);
  info.SetChild(Zentor::Glimra::IGlimraDrawer::TAG_EFFECT_SETTINGS).SetChild(effect);
  return info;
}

}  // namespace UndoTest
