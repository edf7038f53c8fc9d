// Shared pieces of the operation tests: presets, a recording progress controller, recording
// handlers that may be called from the run's threads, and fake effects.
#pragma once

#include "EngineTestSupport.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraUndo.h"
#include "GlimraCore/IGlimraBrush.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffect.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IEffectGrayscale.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IRotate.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace OperationsTest {

using namespace EngineTest;
using Zentor::Core::IProgressController;
using Params = Glimra::IStatisticsEventHandler::StringParameters;

inline Property Preset(const std::string& classId) {
  Property preset(classId);
  preset.SetChildT(Zentor::Conf::IPreset::KEY_CLASS_ID, classId);
  return preset;
}

inline Property RotatePreset(int angle) {
  Property preset = Preset(Zentor::Proc::IRotate::CLASS_ID);
  preset.SetChildT(Zentor::Proc::IRotate::ANGLE, angle);
  return preset;
}

inline Property FlipPreset() {
  Property preset = Preset(Zentor::Proc::IFlip::CLASS_ID);
  preset.SetChildT(Zentor::Proc::IFlip::MODE_HORIZ, true);
  return preset;
}

inline Property CropPreset(long long x, long long y, long long w, long long h) {
  Property preset = Preset(Zentor::Proc::IEffectCrop::CLASS_ID);
  preset.SetChildT(Zentor::Proc::IEffectCrop::OFFSET_X, x);
  preset.SetChildT(Zentor::Proc::IEffectCrop::OFFSET_Y, y);
  preset.SetChildT(Zentor::Proc::IEffectCrop::WIDTH, w);
  preset.SetChildT(Zentor::Proc::IEffectCrop::HEIGHT, h);
  return preset;
}

inline Property BrushSettings(int size) {
  Property settings(Glimra::IGlimraBrush::CLASS_ID);
  settings.SetChildT(Glimra::IGlimraBrush::TAG_BRUSH_TYPE, Glimra::IGlimraBrush::CIRCLE);
  settings.SetChildT(Zentor::Conf::IFormatCodecVideo::TAG_WIDTH, size);
  return settings;
}

inline Property PaintSettings(const std::string& type) {
  Property settings(Glimra::IGlimraDrawer::CLASS_ID);
  settings.SetChildT(Glimra::IGlimraDrawer::TAG_PAINT_TYPE, type);
  return settings;
}

// A GRAY8 frame of zeros with the given rectangle set to value.
inline DataVideoPtr MaskFrame(uint32_t width, uint32_t height, uint32_t left, uint32_t top, uint32_t w, uint32_t h,
                              uint8_t value = 90) {
  DataVideoPtr mask = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
  auto& picture = mask->GetPicture();
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    for (uint32_t x = 0; x < width; ++x) row[x] = (x >= left && x < left + w && y >= top && y < top + h) ? value : 0;
  }
  return mask;
}

inline uint8_t Byte(const Zentor::Proc::IDataVideo& frame, uint32_t x, uint32_t y, int component = 0) {
  const int bytes = Zentor::Proc::GetPlaneRowBytes(frame.GetPixelFormat(), 0, frame.GetWidth()) / int(frame.GetWidth());
  return frame.GetPicture().data[0][ptrdiff_t(y) * frame.GetPicture().linesize[0] + ptrdiff_t(x) * bytes + component];
}

// Thread-safe: runs call it from their control and work threads.
class Controller : public Zentor::RefCounted<IProgressController> {
 public:
  void Notify(NotifyEvent event) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
    changed_.notify_all();
  }
  void SetMaximum(int maximum) override {
    std::unique_lock<std::mutex> lock(mutex_);
    maxima_.push_back(maximum);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !gateClosed_; });
  }
  void SetProgress(int) override {}
  void IncProgress(int) override {}
  bool CheckForStop() const override { return false; }
  void SetClient(Zentor::Core::IProgressControllerClient* client) override {
    std::lock_guard<std::mutex> lock(mutex_);
    client_ = client;
  }

  // While closed, SetMaximum blocks the effect that calls it.
  void CloseGate() {
    std::lock_guard<std::mutex> lock(mutex_);
    gateClosed_ = true;
  }
  void OpenGate() {
    std::lock_guard<std::mutex> lock(mutex_);
    gateClosed_ = false;
    changed_.notify_all();
  }
  // Waits (at most a minute) until an effect has called SetMaximum.
  bool WaitForMaximum() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1), [this] { return !maxima_.empty(); });
  }
  // The run's outcome (2, 3 or 4), 0 when none arrived within a minute.
  int WaitForOutcome() {
    std::unique_lock<std::mutex> lock(mutex_);
    int outcome = 0;
    changed_.wait_for(lock, std::chrono::minutes(1), [this, &outcome] {
      for (NotifyEvent e : events_) {
        if (e == EVENT_FINISHED || e == EVENT_STOPPED || e == EVENT_FAILED) outcome = e;
      }
      return outcome != 0;
    });
    return outcome;
  }
  std::vector<NotifyEvent> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
    maxima_.clear();
  }
  Zentor::Core::IProgressControllerClient* Client() {
    std::lock_guard<std::mutex> lock(mutex_);
    return client_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<NotifyEvent> events_;
  std::vector<int> maxima_;
  bool gateClosed_ = false;
  Zentor::Core::IProgressControllerClient* client_ = nullptr;
};

class Statistics : public Glimra::IStatisticsEventHandler {
 public:
  void TrackEventString(const std::string& name, const StringParameters& parameters) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.emplace_back(name, parameters);
  }
  void TrackEventInt(const std::string&, const IntParameters&) override {}
  void TrackException(const std::string&, const std::string&, const std::string&) override {}
  std::vector<std::pair<std::string, StringParameters>> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  int Count(const std::string& name) {
    int count = 0;
    for (const auto& e : Events()) count += e.first == name;
    return count;
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, StringParameters>> events_;
};

class Errors : public Glimra::ICoreEventHandler {
 public:
  void Throw(boost::exception_ptr error) override {
    std::lock_guard<std::mutex> lock(mutex_);
    errors_.push_back(error);
  }
  std::vector<boost::exception_ptr> Get() {
    std::lock_guard<std::mutex> lock(mutex_);
    return errors_;
  }

 private:
  std::mutex mutex_;
  std::vector<boost::exception_ptr> errors_;
};

// True when the exception is of type E; its description in text.
template <class E>
bool IsA(const boost::exception_ptr& error, std::string* text = nullptr) {
  try {
    boost::rethrow_exception(error);
  } catch (const E& e) {
    if (text) {
      const std::string* d = boost::get_error_info<Zentor::TagDescription>(e);
      *text = d ? *d : std::string();
    }
    return true;
  } catch (...) {
  }
  return false;
}

// An engine on a picture with a controller, an error handler and statistics attached.
struct Fixture {
  explicit Fixture(const std::string& image = std::string(), int width = 100, int height = 100) {
    path = image.empty() ? WritePng(folder, "picture.png", width, height) : image;
    Glimra::IGlimraCore::Initializer init = MakeInit(folder, path, nullptr);
    init.statisticsHandler = &statistics;
    engine = MakeTestEngine(init);
    controller.reset(new Controller);
    engine->SetProgressController(controller);
    engine->RegisterCoreEventHandler(&errors);
  }
  ~Fixture() { engine.reset(); }
  Glimra::GlimraUndo& Store() { return engine->Store(); }
  uint32_t Steps() { return Store().GetStepCount(); }

  TempFolder folder;
  std::string path;
  Statistics statistics;
  Errors errors;
  boost::intrusive_ptr<Controller> controller;
  boost::intrusive_ptr<TestEngine> engine;
};

}  // namespace OperationsTest
