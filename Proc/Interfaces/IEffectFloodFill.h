// Flood fill: fills the connected area around a seed, in the picture or into a separate mask.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectFloodFill : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;  // "EffectFloodFill"
  // Settings keys (unsigned unless noted).
  static const char* const SEED_X;
  static const char* const SEED_Y;
  static const char* const COLOR;         // fill value; in mask mode its low byte
  static const char* const DIFF_LOWER;    // tolerance below the seed's value, per channel
  static const char* const DIFF_UPPER;    // tolerance above the seed's value, per channel
  static const char* const CONNECTIVITY;  // 4 or 8
  static const char* const MASK_ONLY;     // bool: the result is a GRAY8 mask of the filled area
  ~IEffectFloodFill() override;
};

}  // namespace Proc
}  // namespace Zentor
