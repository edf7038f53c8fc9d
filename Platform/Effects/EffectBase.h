// Common frame of the platform effects: reference count, settings check, statistics, progress.
#pragma once

#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IEffect.h"

#include <cstdint>
#include <string>

namespace Zentor {
namespace Proc {
namespace Effects {

// Raises EffectException with the text.
[[noreturn]] void ThrowEffect(const std::string& text);
// Refuses a settings tree not named after the class id.
void CheckSettingsName(const Core::Property& settings, const char* classId);
// A settings tree named after the class id with the class id and implementation name.
Core::Property MakeSettingsTree(const char* classId, const std::string& implName);
Core::Property MakeEffectStatistics(int64_t time, uint64_t count, const std::string& implName);
// A new frame of the source's format and pixel aspect with the source's timing values.
DataVideoPtr AllocateLike(const IDataVideo& source, AVPixelFormat format, uint32_t width, uint32_t height);
// Refuses an empty frame handle.
IDataVideo& CheckedFrame(const DataVideoPtr& frame, const char* what);

template <class Statistics>
class EffectCommon : public RefCounted<Statistics> {
 public:
  using Interface = typename Statistics::InterfaceType;

  Core::Property GetSettings() const override {
    Core::Property settings = MakeSettingsTree(Interface::CLASS_ID, implName_);
    WriteSettings(settings);
    return settings;
  }
  void SetSettings(const Core::Property& settings) override {
    CheckSettingsName(settings, Interface::CLASS_ID);
    ReadSettings(settings);
  }
  void Reset() override {}
  Core::Property GetStatistic() const override {
    return MakeEffectStatistics(this->time_, this->count_, std::string(Interface::CLASS_ID) + "_" + implName_);
  }
  void SetProgressController(const Core::ProgressControllerPtr& controller) override { progress_ = controller; }
  void UpdateFormatCodec(Conf::IFormatCodecVideo&) override {}

 protected:
  explicit EffectCommon(const char* implName = ImplNames::ZENTOR) : implName_(implName) {}
  // Reads only the keys present.
  virtual void ReadSettings(const Core::Property&) {}
  // Adds every key.
  virtual void WriteSettings(Core::Property&) const {}

  std::string implName_;
  Core::ProgressControllerPtr progress_;
};

template <class I>
class OneInputStatistics : public OneInputEffectStatistics<I> {
 public:
  using InterfaceType = I;
};

template <class I>
class TwoInputStatistics : public TwoInputEffectStatistics<I> {
 public:
  using InterfaceType = I;
};

template <class I>
using OneInputEffect = EffectCommon<OneInputStatistics<I>>;
template <class I>
using TwoInputEffect = EffectCommon<TwoInputStatistics<I>>;

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
