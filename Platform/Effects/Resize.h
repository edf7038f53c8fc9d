// Scaling of the picture (and, with point sampling, of its selection mask).
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Proc/Interfaces/IResize.h"

namespace Zentor {
namespace Proc {
namespace Effects {

class Resize final : public OneInputEffect<IResize> {
 public:
  // The target size for a source size under the settings (each side at least 1).
  static void TargetSize(const SettingsResizer& settings, uint32_t srcWidth, uint32_t srcHeight, uint32_t& width,
                         uint32_t& height);

 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  SettingsResizer settings_;
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
