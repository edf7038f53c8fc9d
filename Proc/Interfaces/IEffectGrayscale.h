// Removes the colour; the result stays in the frame's own pixel format, alpha kept.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectGrayscale : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  ~IEffectGrayscale() override;
};

}  // namespace Proc
}  // namespace Zentor
