// Resizing of effect inputs: the words of its settings.
#pragma once

#include "GlimraCore/Export.h"

#include <string>

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API ResizeHelper {
 public:
  static const std::string RESOLUTION;
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
