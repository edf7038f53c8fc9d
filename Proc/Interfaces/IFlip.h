// Mirrors the frame.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

class ZENTOR_API IFlip : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // bool: mirror left-right (columns reversed).
  static const char* const MODE_HORIZ;
  // bool: turn upside down (rows reversed).
  static const char* const MODE_VERT;
  ~IFlip() override;
};

}  // namespace Proc
}  // namespace Zentor
