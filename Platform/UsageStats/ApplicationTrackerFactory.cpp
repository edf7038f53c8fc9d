#include "Platform/UsageStats/ApplicationTrackerFactory.h"

#include "Platform/UsageStats/ApplicationTracker.h"

namespace Zentor {
namespace Tracking {

namespace {

ApplicationTrackerFactory::Hook& CurrentHook() {
  static ApplicationTrackerFactory::Hook hook;
  return hook;
}

}  // namespace

ApplicationTrackerPtr ApplicationTrackerFactory::GetApplicationTracker() {
  if (const Hook& hook = CurrentHook()) return hook();
  return ApplicationTrackerPtr(new ApplicationTracker);
}

void ApplicationTrackerFactory::SetFactoryHook(Hook hook) { CurrentHook() = std::move(hook); }

}  // namespace Tracking
}  // namespace Zentor
