// Exemplar-based inpainting: fills the pixels selected by the mask (second input, GRAY8, values
// above 10) patch by patch from the rest of a BGR24/RGB24 picture.
#pragma once

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Effects/Kelvra/EffectOpenCV.h"
#include "Proc/Effects/Kelvra/InpaintExemplarCore.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <cstdint>

namespace Zentor {
namespace Proc {
namespace OpenCV {

class InpaintExemplar : public EffectOpenCVTwoInput<IEffectInpaint> {
 public:
  // Every candidate compares a whole patch: its side bounds the work per candidate.
  static constexpr long long MAX_PATCH_SIZE = 255;
  static TwoInputEffectPtr Create(IEffectFactory& factory);

  Core::Property GetSettings() const override;
  void SetSettings(const Core::Property& settings) override;
  Core::Property GetStatistic() const override;

 protected:
  const char* ImplementationName() const override { return ImplNames::ZENTOR; }
  void Process(const cv::Mat& source, const cv::Mat& mask, cv::Mat& destination) override;

 private:
  uint32_t patchSize_ = 0;
  uint32_t halfSize_ = 0;
  double lookupSize_ = 0.0;
  ExemplarTimes times_;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
