// Inpainting: fills the pixels selected by the second input (a GRAY8 mask) from the rest of the picture.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectInpaint : public virtual ITwoInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // Patch side in pixels (made odd by the implementation); unsigned.
  static const char* const PATCH_SIZE;
  // Size of the area searched for source patches, a percentage (double).
  static const char* const LOOKUP_SIZE;
  ~IEffectInpaint() override;
};

}  // namespace Proc
}  // namespace Zentor
