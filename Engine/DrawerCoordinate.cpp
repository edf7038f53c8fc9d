#include "Engine/DrawerCoordinate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Zentor {
namespace Glimra {

VSize ToDrawerCoordinate(double value) {
  if (std::isnan(value)) return 0;
  const double cut = std::clamp(std::trunc(value), double(std::numeric_limits<int32_t>::min()),
                                double(std::numeric_limits<int32_t>::max()));
  return uint32_t(int32_t(cut));
}

}  // namespace Glimra
}  // namespace Zentor
