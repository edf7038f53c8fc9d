// Turns the frame clockwise by a multiple of 90 degrees.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IRotate : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // Degrees clockwise (64-bit integer): a multiple of 90 (negative values turn anticlockwise);
  // any other angle is refused.
  static const char* const ANGLE;
  ~IRotate() override;
};

}  // namespace Proc
}  // namespace Zentor
