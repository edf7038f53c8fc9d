// Cuts a rectangle out of the frame.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

// The rectangle must lie inside the frame with a positive size, else the run is refused.
class ZENTOR_API IEffectCrop : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // 64-bit integers.
  static const char* const OFFSET_X;
  static const char* const OFFSET_Y;
  static const char* const WIDTH;
  static const char* const HEIGHT;
  ~IEffectCrop() override;
};

}  // namespace Proc
}  // namespace Zentor
