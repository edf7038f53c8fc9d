// Grayscale and automatic enhancement.
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Proc/Interfaces/IEffectGrayscale.h"
#include "Proc/Interfaces/IEffectMagicEnhance.h"

#include <array>

namespace Zentor {
namespace Proc {
namespace Effects {

class Grayscale final : public OneInputEffect<IEffectGrayscale> {
 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
};

// Gray-world white balance (blended in by AUTO_WHITE_STRENGTH), a joint percentile stretch of
// the three channels, and a saturation boost that is larger for dull pictures. The statistics
// come from at most about a million sample pixels; one pass applies per-channel tables and the
// saturation. Alpha and padding bytes are kept.
class MagicEnhance final : public OneInputEffect<IEffectMagicEnhance> {
 public:
  struct Plan {
    std::array<std::array<uint8_t, 256>, 3> lut;  // red, green, blue
    int saturation = 256;                          // factor in 1/256
  };
  // The tables for a packed 8-bit RGB or grey frame under the given switches.
  static Plan MakePlan(const IDataVideo& frame, bool contrast, bool saturation, bool whiteBalance, int strength);

 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  bool contrast_ = false;
  bool saturation_ = false;
  bool whiteBalance_ = false;
  int strength_ = 100;
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
