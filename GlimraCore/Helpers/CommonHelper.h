// Frame preparation of effect runs: the words of the preparation table.
#pragma once

#include "GlimraCore/Export.h"

#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API CommonHelper {
 public:
  static const std::string APPLY_WITH_MASK;
  static const std::string APPLY_AND_SET_MASK;
  static const std::string APPLY_STOP;
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
