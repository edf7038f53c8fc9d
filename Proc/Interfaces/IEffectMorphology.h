// Morphology: one morphological operation with the 3x3 square, repeated a number of times.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectMorphology : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;  // "EffectMorphology"
  // Settings keys.
  static const char* const OPERATION;   // string, one of the operation names below
  static const char* const ITERATIONS;  // signed integer
  // Operation names.
  static const char* const ERODE;
  static const char* const DILATE;
  static const char* const OPEN;
  static const char* const CLOSE;
  static const char* const GRADIENT;
  static const char* const TOPHAT;
  static const char* const BLACKHAT;
  ~IEffectMorphology() override;
};

}  // namespace Proc
}  // namespace Zentor
