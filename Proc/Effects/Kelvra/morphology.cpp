#include "Proc/Effects/Kelvra/morphology.h"

#include <opencv2/imgproc.hpp>

namespace Zentor {
namespace Proc {
namespace OpenCV {

const std::map<std::string, int> Morphology::s_typeMap = {
    {IEffectMorphology::ERODE, cv::MORPH_ERODE},       {IEffectMorphology::DILATE, cv::MORPH_DILATE},
    {IEffectMorphology::OPEN, cv::MORPH_OPEN},         {IEffectMorphology::CLOSE, cv::MORPH_CLOSE},
    {IEffectMorphology::GRADIENT, cv::MORPH_GRADIENT}, {IEffectMorphology::TOPHAT, cv::MORPH_TOPHAT},
    {IEffectMorphology::BLACKHAT, cv::MORPH_BLACKHAT},
};

OneInputEffectPtr Morphology::Create(IEffectFactory&) { return OneInputEffectPtr(new RefCounted<Morphology>()); }

Core::Property Morphology::GetSettings() const {
  Core::Property settings = MakeSettings();
  settings.SetChildT(IEffectMorphology::ITERATIONS, static_cast<long long>(iterations_));
  settings.SetChildT(IEffectMorphology::OPERATION, operation_);
  return settings;
}

void Morphology::SetSettings(const Core::Property& settings) {
  CheckSettings(settings);
  if (settings.ChildExists(IEffectMorphology::OPERATION)) {
    operation_ = Core::GetValue<std::string>(settings[IEffectMorphology::OPERATION]);
  }
  if (settings.ChildExists(IEffectMorphology::ITERATIONS)) {
    const long long iterations = Core::GetValue<long long>(settings[IEffectMorphology::ITERATIONS]);
    if (iterations < 0 || iterations > MAX_ITERATIONS) {
      ZENTOR_THROW_DESC(EffectException, "Iteration count " + std::to_string(iterations) + " is outside 0 .. " +
                                             std::to_string(MAX_ITERATIONS));
    }
    iterations_ = static_cast<int>(iterations);
  }
  const auto it = s_typeMap.find(operation_);
  if (it == s_typeMap.end()) ZENTOR_THROW_DESC(EffectException, operation_ + ": unknown morphology operation");
  code_ = it->second;
}

Core::Property Morphology::GetStatistic() const {
  Core::Property statistic = EffectOpenCVOneInput<IEffectMorphology>::GetStatistic();
  statistic.SetChildT(IEffectMorphology::OPERATION, operation_);
  return statistic;
}

void Morphology::Process(const cv::Mat& source, cv::Mat& destination) {
  if (code_ == -1) ZENTOR_THROW_DESC(EffectException, "Effect was not initialized");
  cv::morphologyEx(source, destination, code_, cv::Mat(), cv::Point(-1, -1), iterations_, cv::BORDER_CONSTANT,
                   cv::morphologyDefaultBorderValue());
}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
