// Automatic enhancement: contrast stretch, saturation and white balance; alpha kept.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectMagicEnhance : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // bools, all false by default.
  static const char* const AUTO_CONTRAST;
  static const char* const AUTO_SATURATION;
  static const char* const AUTO_WHITE_BALANCE;
  // How much of the white-balance correction is applied, 0..100 (64-bit integer), default 100.
  static const char* const AUTO_WHITE_STRENGTH;
  ~IEffectMagicEnhance() override;
};

}  // namespace Proc
}  // namespace Zentor
