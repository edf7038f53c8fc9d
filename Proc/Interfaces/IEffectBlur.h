// Blur: smooths a picture with one of four filters chosen by name.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectBlur : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;  // "EffectBlur"
  // Settings keys.
  static const char* const ALGORITHM;      // string, one of the algorithm names below
  static const char* const KERNEL_LENGTH;  // unsigned, kernel side (median/Gaussian: odd)
  static const char* const DEVIATION_X;    // double
  static const char* const DEVIATION_Y;    // double
  // Algorithm names.
  static const char* const HOMOGENEOUS;  // box filter; deviations are the anchor
  static const char* const GAUSSIAN;     // deviations are the sigmas
  static const char* const MEDIAN;
  static const char* const BILATERAL;  // deviations are sigma colour and sigma space
  ~IEffectBlur() override;
};

}  // namespace Proc
}  // namespace Zentor
