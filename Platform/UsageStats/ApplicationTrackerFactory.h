// Hands out the usage tracker.
#pragma once

#include "Platform/UsageStats/IApplicationTracker.h"

#include <functional>

namespace Zentor {
namespace Tracking {

class ApplicationTrackerFactory {
 public:
  using Hook = std::function<ApplicationTrackerPtr()>;

  // A new tracker, or null when none can be had.
  static ApplicationTrackerPtr GetApplicationTracker();

  // Tests: the hook makes the trackers instead; null goes back to the real one.
  static void SetFactoryHook(Hook hook);
};

}  // namespace Tracking
}  // namespace Zentor
