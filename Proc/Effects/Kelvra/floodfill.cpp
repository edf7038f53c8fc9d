#include "Proc/Effects/Kelvra/floodfill.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <limits>

namespace Zentor {
namespace Proc {
namespace OpenCV {
namespace {

int SeedInt(uint32_t value) { return static_cast<int>(std::min<uint32_t>(value, std::numeric_limits<int>::max())); }

}  // namespace

OneInputEffectPtr FloodFill::Create(IEffectFactory&) { return OneInputEffectPtr(new RefCounted<FloodFill>()); }

Core::Property FloodFill::GetSettings() const {
  Core::Property settings = MakeSettings();
  settings.SetChildT(IEffectFloodFill::SEED_X, static_cast<long long>(seedX_));
  settings.SetChildT(IEffectFloodFill::SEED_Y, static_cast<long long>(seedY_));
  settings.SetChildT(IEffectFloodFill::COLOR, static_cast<long long>(color_));
  settings.SetChildT(IEffectFloodFill::DIFF_LOWER, static_cast<long long>(diffLower_));
  settings.SetChildT(IEffectFloodFill::DIFF_UPPER, static_cast<long long>(diffUpper_));
  settings.SetChildT(IEffectFloodFill::MASK_ONLY, maskOnly_);
  settings.SetChildT(IEffectFloodFill::CONNECTIVITY, static_cast<long long>(connectivity_));
  return settings;
}

void FloodFill::SetSettings(const Core::Property& settings) {
  CheckSettings(settings);
  auto readUnsigned = [&settings](const char* key, uint32_t& value) {
    if (settings.ChildExists(key)) value = Core::GetValue<unsigned int>(settings[key]);
  };
  readUnsigned(IEffectFloodFill::SEED_X, seedX_);
  readUnsigned(IEffectFloodFill::SEED_Y, seedY_);
  readUnsigned(IEffectFloodFill::COLOR, color_);
  readUnsigned(IEffectFloodFill::DIFF_LOWER, diffLower_);
  readUnsigned(IEffectFloodFill::DIFF_UPPER, diffUpper_);
  if (settings.ChildExists(IEffectFloodFill::MASK_ONLY)) {
    maskOnly_ = Core::GetValue<bool>(settings[IEffectFloodFill::MASK_ONLY]);
  }
  readUnsigned(IEffectFloodFill::CONNECTIVITY, connectivity_);
  if (connectivity_ != 4 && connectivity_ != 8) ZENTOR_THROW_DESC(EffectException, "Connectivity must be 4 or 8");
}

DataVideoPtr FloodFill::AllocateDstFrame(const DataVideoPtr& source) {
  if (!maskOnly_ || !source) return EffectOpenCVOneInput<IEffectFloodFill>::AllocateDstFrame(source);
  // A mask with a one-pixel border all round, as the fill needs it.
  return DataVideoFF::Create(AV_PIX_FMT_GRAY8, source->GetWidth() + 2, source->GetHeight() + 2, source->GetAspectX(),
                             source->GetAspectY());
}

void FloodFill::Process(const cv::Mat& source, cv::Mat& destination) {
  if (seedX_ == UNSET || seedY_ == UNSET || color_ == UNSET) {
    ZENTOR_THROW_DESC(EffectException, "Effect was not initialized");
  }
  const double lower = diffLower_;
  const double upper = diffUpper_;
  const cv::Scalar lo(lower, lower, lower, 0);
  const cv::Scalar up(upper, upper, upper, 0);
  const cv::Scalar fill(static_cast<double>(color_), 0, 0, 0);
  const cv::Point seed(SeedInt(seedX_), SeedInt(seedY_));

  if (maskOnly_) {
    cv::Mat image = source;
    if (source.channels() == 4) cv::cvtColor(source, image, cv::COLOR_BGRA2BGR);
    destination.setTo(0);
    const int flags = static_cast<int>(connectivity_ | ((color_ * 256u) & 0xFF00u)) | cv::FLOODFILL_FIXED_RANGE |
                      cv::FLOODFILL_MASK_ONLY;
    cv::floodFill(image, destination, seed, fill, nullptr, lo, up, flags);
    return;
  }

  const int flags = static_cast<int>(connectivity_) | cv::FLOODFILL_FIXED_RANGE;
  if (source.channels() != 4) {
    source.copyTo(destination);
    cv::floodFill(destination, seed, fill, nullptr, lo, up, flags);
    return;
  }
  // The fill takes one or three channels: fill the colours, keep the fourth byte.
  cv::Mat colour;
  cv::cvtColor(source, colour, cv::COLOR_BGRA2BGR);
  cv::floodFill(colour, seed, fill, nullptr, lo, up, flags);
  Utils::MergeKeepingFourth(colour, source, destination);
}

void FloodFill::PostProcess(DataVideoPtr& frame) {
  if (!frame || !maskOnly_) return;
  // Drop the border: the result has the source's size and memory of its own.
  frame->Limit(1, 1, frame->GetWidth() - 2, frame->GetHeight() - 2);
  frame = frame->CreateCopy();
}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
