#include "Platform/Bedrock/Statistics.h"

#include "Core/Interfaces/Property.h"

#include <limits>

namespace Zentor {
namespace Core {

const char* const PerformanceTimer::IMPL_NAME = "ImplName";

Property MakeStatistics(const std::string& name, int64_t time, uint64_t count) {
  Property result(name);
  result.SetChildT("Time", static_cast<long long>(time));
  // Counts beyond the signed range are kept at its top rather than turning negative.
  const uint64_t top = static_cast<uint64_t>(std::numeric_limits<long long>::max());
  result.SetChildT("Count", static_cast<long long>(count > top ? top : count));
  return result;
}

Property GetRootItem() { return Property(std::string()); }

PerformanceTimer::PerformanceTimer() : start_(std::chrono::steady_clock::now()) {}

void PerformanceTimer::Start() { start_ = std::chrono::steady_clock::now(); }

int64_t PerformanceTimer::Elapsed() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
}

}  // namespace Core
}  // namespace Zentor
