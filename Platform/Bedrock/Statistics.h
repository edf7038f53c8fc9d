// Statistics records and the timer that measures them.
#pragma once

#include "Platform/Bedrock/Export.h"
#include "Platform/Bedrock/Property.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace Zentor {
namespace Core {

// A group named name with the children "Time" (long long, microseconds) and "Count" (long long).
ZENTOR_API Property MakeStatistics(const std::string& name, int64_t time, uint64_t count);

// The statistics of a component that keeps none: an unnamed empty group.
ZENTOR_API Property GetRootItem();

// Measures elapsed time in microseconds on the steady clock; starts when built.
class ZENTOR_API PerformanceTimer {
 public:
  // Key of the implementation name in a statistics record.
  static const char* const IMPL_NAME;

  PerformanceTimer();
  void Start();
  // Microseconds since the last Start (or construction).
  int64_t Elapsed() const;

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace Core
}  // namespace Zentor
