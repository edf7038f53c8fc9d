// Flood fill around a seed, in the picture or into a separate GRAY8 mask.
#pragma once

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Effects/Kelvra/EffectOpenCV.h"
#include "Proc/Interfaces/IEffectFloodFill.h"

#include <cstdint>

namespace Zentor {
namespace Proc {
namespace OpenCV {

class FloodFill : public EffectOpenCVOneInput<IEffectFloodFill> {
 public:
  static OneInputEffectPtr Create(IEffectFactory& factory);

  Core::Property GetSettings() const override;
  void SetSettings(const Core::Property& settings) override;

 protected:
  DataVideoPtr AllocateDstFrame(const DataVideoPtr& source) override;
  void Process(const cv::Mat& source, cv::Mat& destination) override;
  void PostProcess(DataVideoPtr& frame) override;

 private:
  static constexpr uint32_t UNSET = 0xFFFFFFFFu;
  uint32_t seedX_ = UNSET;
  uint32_t seedY_ = UNSET;
  uint32_t color_ = UNSET;
  uint32_t diffLower_ = 0;
  uint32_t diffUpper_ = 0;
  uint32_t connectivity_ = 4;
  bool maskOnly_ = false;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
