// Rotate, flip and crop.
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IRotate.h"

namespace Zentor {
namespace Proc {
namespace Effects {

class Rotate final : public OneInputEffect<IRotate> {
 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  int angle_ = 0;  // 0, 90, 180 or 270
};

class Flip final : public OneInputEffect<IFlip> {
 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  bool horizontal_ = false;
  bool vertical_ = false;
};

class Crop final : public OneInputEffect<IEffectCrop> {
 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  int64_t x_ = 0, y_ = 0, width_ = -1, height_ = -1;  // -1: not given
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
