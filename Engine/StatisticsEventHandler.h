// The program's one receiver of usage events. It hands them to the usage tracker while statistics
// are on, and to a stub that drops them while they are off or no tracker could be started.
#pragma once

#include "Engine/StatisticsEventHandlerUI.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/UsageStats/IApplicationTracker.h"

#include <QObject>

namespace Zentor {
namespace Glimra {

// Built, enabled and destroyed on the GUI thread; the Track operations come from any thread.
class StatisticsEventHandler : public QObject, public virtual StatisticsEventHandlerUI {
  Q_OBJECT

 public:
  StatisticsEventHandler();
  ~StatisticsEventHandler() override;

  void TrackEventStringInternal(const std::string& name, const StringParameters& parameters) override;
  void TrackEventIntInternal(const std::string& name, const IntParameters& parameters) override;
  void TrackExceptionInternal(const std::string& first, const std::string& second, const std::string& third) override;

 public Q_SLOTS:
  // The first successful enable starts the tracker and sends the start events; later enables
  // only switch back to it.
  void setEnabled(bool enabled);

 protected:
  // The application shell's; a test without the shell's application object gives its own.
  virtual App::CustomizationManagerPtr GetCustomizationManager() const;
  virtual bool IsFirstLaunch() const;

 private:
  class ApplicationTrackerStub;

  bool StartTracker();

  Tracking::ApplicationTrackerPtr tracker;
  Tracking::ApplicationTrackerPtr stub;
  Tracking::ApplicationTrackerPtr current;
};

}  // namespace Glimra
}  // namespace Zentor
