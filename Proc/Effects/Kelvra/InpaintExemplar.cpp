#include "Proc/Effects/Kelvra/InpaintExemplar.h"

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace Proc {
namespace OpenCV {
namespace {

// Progress of a run, reported to the effect's controller when one is set.
class ControllerProgress : public ExemplarProgress {
 public:
  explicit ControllerProgress(Core::ProgressControllerPtr controller) : controller_(std::move(controller)) {}
  void SetMaximum(int maximum) override {
    if (controller_) controller_->SetMaximum(maximum);
  }
  void IncProgress(int step) override {
    if (controller_) controller_->IncProgress(step);
  }
  bool CheckForStop() override { return controller_ && controller_->CheckForStop(); }

 private:
  Core::ProgressControllerPtr controller_;
};

}  // namespace

TwoInputEffectPtr InpaintExemplar::Create(IEffectFactory&) {
  return TwoInputEffectPtr(new RefCounted<InpaintExemplar>());
}

Core::Property InpaintExemplar::GetSettings() const {
  Core::Property settings = MakeSettings();
  settings.SetChildT(IEffectInpaint::PATCH_SIZE, static_cast<long long>(patchSize_));
  settings.SetChildT(IEffectInpaint::LOOKUP_SIZE, lookupSize_);
  return settings;
}

void InpaintExemplar::SetSettings(const Core::Property& settings) {
  CheckSettings(settings);
  if (settings.ChildExists(IEffectInpaint::PATCH_SIZE)) {
    const long long size = Core::GetValue<long long>(settings[IEffectInpaint::PATCH_SIZE]);
    if (size < 0 || size > MAX_PATCH_SIZE) {
      ZENTOR_THROW_DESC(EffectException, "Patch size " + std::to_string(size) + " is outside 0 .. " +
                                             std::to_string(MAX_PATCH_SIZE));
    }
    const uint32_t value = static_cast<uint32_t>(size);
    patchSize_ = value | 1u;
    halfSize_ = value >> 1;
  }
  if (settings.ChildExists(IEffectInpaint::LOOKUP_SIZE)) {
    lookupSize_ = Core::GetValue<double>(settings[IEffectInpaint::LOOKUP_SIZE]);
  }
}

Core::Property InpaintExemplar::GetStatistic() const {
  Core::Property statistic = EffectOpenCVTwoInput<IEffectInpaint>::GetStatistic();
  const int64_t total = times_.total;
  const std::pair<const char*, int64_t> phases[] = {
      {"computeFillFront", times_.computeFillFront}, {"computeConfidence", times_.computeConfidence},
      {"computeData", times_.computeData},           {"computeTarget", times_.computeTarget},
      {"computeBestPatch", times_.computeBestPatch}, {"updateMats", times_.updateMats},
      {"checkEnd", times_.checkEnd},
  };
  // Phase times are kept in microseconds and reported in seconds.
  statistic.SetChildT("total", static_cast<double>(total) / 1e6);
  for (const auto& phase : phases) statistic.SetChildT(phase.first, static_cast<double>(phase.second) / 1e6);
  for (const auto& phase : phases) {
    const double share = total == 0 ? 0.0 : static_cast<double>(phase.second) / static_cast<double>(total) * 100;
    statistic.SetChildT(std::string(phase.first) + "Pct", share);
  }
  return statistic;
}

void InpaintExemplar::Process(const cv::Mat& source, const cv::Mat& mask, cv::Mat& destination) {
  if (source.type() != CV_8UC3) ZENTOR_THROW_DESC(EffectException, "Incorrect source pixel format");
  if (mask.type() != CV_8UC1) ZENTOR_THROW_DESC(EffectException, "Incorrect mask pixel format");
  if (mask.rows != source.rows || mask.cols != source.cols) ZENTOR_THROW_DESC(EffectException, "Incorrect mask size");
  if (halfSize_ == 0) ZENTOR_THROW_DESC(EffectException, "Effect was not initialized");
  const double D = std::max(source.rows, source.cols);
  const double E = std::min(0.75 * D, 500.0);
  const double S = 2.0 * patchSize_;
  if (S >= E || D <= E) ZENTOR_THROW_DESC(EffectException, "Source image too small");
  const double lookup = ExemplarLookupSize(D, patchSize_, lookupSize_);
  LOG(INFO) << GetImplName() << " with patch size=" << patchSize_ << " and lookup size=" << lookup << " started";

  // The lookup size is derived and reported, but the search covers the whole picture.
  ControllerProgress progress(progressController_);
  const ExemplarResult result = RunExemplarInpaint(source, mask, destination, static_cast<int>(halfSize_), progress,
                                                   ExemplarMode::Fast, times_);
  if (result == ExemplarResult::NoCandidate) ZENTOR_THROW_DESC(EffectException, "Need more lookup size");
  LOG(INFO) << "Inpaint done";
}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
