// The engine object. Only its exported constant is declared so far.
#pragma once

#include "GlimraCore/Export.h"

#include <cstdint>

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API GlimraCore {
 public:
  // Largest side of the thumbnail written on save.
  static constexpr uint32_t MAX_THUMBNAIL_SIZE = 160;
};

}  // namespace Glimra
}  // namespace Zentor
