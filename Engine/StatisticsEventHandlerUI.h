// Usage events of the engine and the program, delivered on the GUI thread.
#pragma once

#include "Engine/EventHandlerUI.h"
#include "GlimraCore/IGlimraCore.h"

namespace Zentor {
namespace Glimra {

class StatisticsEventHandlerUI : public virtual EventHandlerUI<IStatisticsEventHandler> {
 public:
  // Any thread: names and parameter maps are copied whole, so the caller may change or drop its
  // own right after the call.
  void TrackEventString(const std::string& name, const StringParameters& parameters) override;
  void TrackEventInt(const std::string& name, const IntParameters& parameters) override;
  void TrackException(const std::string& first, const std::string& second, const std::string& third) override;
  ~StatisticsEventHandlerUI() override = default;

  // GUI thread only.
  virtual void TrackEventStringInternal(const std::string& name, const StringParameters& parameters) = 0;
  virtual void TrackEventIntInternal(const std::string& name, const IntParameters& parameters) = 0;
  virtual void TrackExceptionInternal(const std::string& first, const std::string& second,
                                      const std::string& third) = 0;
};

}  // namespace Glimra
}  // namespace Zentor
