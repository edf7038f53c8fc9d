#include "Core/Interfaces/Utils.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace Zentor {
namespace Core {

double Round(double value, int digits) {
  if (!std::isfinite(value)) return value;
  // Widened so that |INT_MIN| does not overflow. Zero and infinity stay as they are, so the loops stop there.
  const long n = std::labs(static_cast<long>(digits));
  const double factor = digits > 0 ? 10.0 : 0.1;
  double scaled = value;
  for (long i = 0; i < n && scaled != 0.0 && !std::isinf(scaled); ++i) scaled *= factor;
  scaled += 0.5;
  // Truncation toward zero fits int32 exactly when -2^31 - 1 < scaled < 2^31.
  if (!(scaled > -2147483649.0 && scaled < 2147483648.0)) return value;
  double result = static_cast<double>(static_cast<int32_t>(scaled));
  for (long i = 0; i < n && result != 0.0 && !std::isinf(result); ++i) result /= factor;
  return result;
}

}  // namespace Core
}  // namespace Zentor
