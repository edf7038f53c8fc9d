#include "Engine/StatisticsEventHandler.h"

#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/ILookAndFeelManager.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/UsageStats/ApplicationTrackerFactory.h"

#include <boost/exception/diagnostic_information.hpp>
#include <glog/logging.h>

namespace Zentor {
namespace Glimra {

class StatisticsEventHandler::ApplicationTrackerStub : public RefCounted<Tracking::IApplicationTracker> {
 public:
  bool Initialize(const std::string&, int, int, int, int) override { return true; }
  bool Deinitialize() override { return true; }
  bool TrackEvent(const std::string&, const StringParameters&) override { return true; }
  bool TrackEvent(const std::string&, const IntParameters&) override { return true; }
  bool TrackException(const std::string&, const std::string&, const std::string&) override { return true; }
};

namespace {

// A statistic is never worth failing the operation that raised it.
template <typename Call>
void Quietly(const char* what, Call call) {
  try {
    call();
  } catch (...) {
    LOG(WARNING) << what << " failed: " << boost::current_exception_diagnostic_information();
  }
}

}  // namespace

StatisticsEventHandler::StatisticsEventHandler() : stub(new ApplicationTrackerStub), current(stub) {}

StatisticsEventHandler::~StatisticsEventHandler() {
  if (tracker) Quietly("Stopping the usage tracker", [this] { tracker->Deinitialize(); });
}

void StatisticsEventHandler::TrackEventStringInternal(const std::string& name, const StringParameters& parameters) {
  Quietly("A usage event", [&] { current->TrackEvent(name, parameters); });
}

void StatisticsEventHandler::TrackEventIntInternal(const std::string& name, const IntParameters& parameters) {
  Quietly("A usage event", [&] { current->TrackEvent(name, parameters); });
}

void StatisticsEventHandler::TrackExceptionInternal(const std::string& first, const std::string& second,
                                                    const std::string& third) {
  Quietly("A usage event", [&] { current->TrackException(first, second, third); });
}

void StatisticsEventHandler::setEnabled(bool enabled) {
  if (!enabled) {
    current = stub;
    return;
  }
  if (tracker) {
    current = tracker;
    return;
  }
  bool started = false;
  Quietly("Starting the usage tracker", [&] { started = StartTracker(); });
  if (!started) {
    tracker.reset();
    current = stub;
    return;
  }
  current = tracker;

  // Through our own entry, so the start events reach the tracker on the GUI thread like any other.
  Quietly("The start events", [this] {
    const StringParameters parameters{
        {KEY_LANGUAGE, App::AppSettings().GetString(App::ILookAndFeelManager::locale, std::string())}};
    TrackEventString(NAME_APP_EVERY_START, parameters);
    if (IsFirstLaunch()) TrackEventString(NAME_APP_FIRST_START, parameters);
  });
}

bool StatisticsEventHandler::StartTracker() {
  Tracking::ApplicationTrackerPtr candidate = Tracking::ApplicationTrackerFactory::GetApplicationTracker();
  if (!candidate) return false;

  std::string initialization;
  int major = 0;
  int minor = 0;
  if (const App::CustomizationManagerPtr customization = GetCustomizationManager()) {
    customization->GetValue(App::CustomizationManager::TRACKER_INITIALIZATION_STRING, initialization);
    major = customization->GetProductVersionMajor();
    minor = customization->GetProductVersionMinor();
  }
  initialization += Tracking::IApplicationTracker::USER_ID + "=" + App::Application::GetUserId() + "#" +
                    Tracking::IApplicationTracker::PRODUCT_VERSION + "=" + std::to_string(major) + "." +
                    std::to_string(minor) + "#";
  if (!candidate->Initialize(initialization, 0, 0, 0, 0)) return false;
  tracker = candidate;
  return true;
}

App::CustomizationManagerPtr StatisticsEventHandler::GetCustomizationManager() const {
  const App::Application* application = App::Application::Instance();
  return application ? application->GetCustomizationManager() : nullptr;
}

bool StatisticsEventHandler::IsFirstLaunch() const {
  const App::Application* application = App::Application::Instance();
  return application && application->IsFirstLauch();
}

}  // namespace Glimra
}  // namespace Zentor
