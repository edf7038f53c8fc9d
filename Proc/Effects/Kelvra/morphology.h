// One OpenCV morphology operation with the 3x3 square, repeated a number of times.
#pragma once

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Effects/Kelvra/EffectOpenCV.h"
#include "Proc/Interfaces/IEffectMorphology.h"

#include <map>
#include <string>

namespace Zentor {
namespace Proc {
namespace OpenCV {

class Morphology : public EffectOpenCVOneInput<IEffectMorphology> {
 public:
  // Each iteration is a pass over the whole picture.
  static constexpr int MAX_ITERATIONS = 100;
  static OneInputEffectPtr Create(IEffectFactory& factory);

  Core::Property GetSettings() const override;
  void SetSettings(const Core::Property& settings) override;
  Core::Property GetStatistic() const override;

 protected:
  void Process(const cv::Mat& source, cv::Mat& destination) override;

 private:
  // Operation name to OpenCV morphology code.
  static const std::map<std::string, int> s_typeMap;

  std::string operation_;
  int iterations_ = 1;
  int code_ = -1;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
