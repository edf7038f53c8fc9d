// The brush's words and numbers.
#pragma once

#include "GlimraCore/Export.h"

#include <cstdint>
#include <string>

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API IGlimraBrush {
 public:
  virtual ~IGlimraBrush();

  static const std::string CLASS_ID;
  static const std::string TAG_BRUSH_TYPE;
  static const std::string SQUARE;
  static const std::string CIRCLE;
  static const std::string SMOOTH;
  // Stamp brightness of a fully selected pixel.
  static constexpr int32_t DEFAULT_COEFFICIENT = 90;
};

}  // namespace Glimra
}  // namespace Zentor
