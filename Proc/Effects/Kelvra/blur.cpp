#include "Proc/Effects/Kelvra/blur.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <limits>

namespace Zentor {
namespace Proc {
namespace OpenCV {
namespace {

int TruncateToInt(double value) {
  if (!(value > std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  if (!(value < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

int KernelInt(uint32_t kernelLength) {
  return static_cast<int>(std::min<uint32_t>(kernelLength, std::numeric_limits<int>::max()));
}

}  // namespace

class Blur::Impl::Homogeneous : public Blur::Impl::Base {
 public:
  void Process(const cv::Mat& source, cv::Mat& destination, uint32_t k, double dx, double dy) const override {
    cv::blur(source, destination, cv::Size(KernelInt(k), KernelInt(k)), cv::Point(TruncateToInt(dx), TruncateToInt(dy)),
             cv::BORDER_REFLECT_101);
  }
};

class Blur::Impl::Gaussian : public Blur::Impl::Base {
 public:
  void Process(const cv::Mat& source, cv::Mat& destination, uint32_t k, double dx, double dy) const override {
    cv::GaussianBlur(source, destination, cv::Size(KernelInt(k), KernelInt(k)), dx, dy, cv::BORDER_REFLECT_101);
  }
};

class Blur::Impl::Median : public Blur::Impl::Base {
 public:
  void Process(const cv::Mat& source, cv::Mat& destination, uint32_t k, double, double) const override {
    cv::medianBlur(source, destination, KernelInt(k));
  }
};

class Blur::Impl::Bilateral : public Blur::Impl::Base {
 public:
  void Process(const cv::Mat& source, cv::Mat& destination, uint32_t k, double dx, double dy) const override {
    if (source.channels() != 4) {
      cv::bilateralFilter(source, destination, KernelInt(k), dx, dy, cv::BORDER_REFLECT_101);
      return;
    }
    // The filter takes one or three channels: filter the colours, keep the fourth byte.
    cv::Mat colour, filtered;
    cv::cvtColor(source, colour, cv::COLOR_BGRA2BGR);
    cv::bilateralFilter(colour, filtered, KernelInt(k), dx, dy, cv::BORDER_REFLECT_101);
    Utils::MergeKeepingFourth(filtered, source, destination);
  }
};

OneInputEffectPtr Blur::Create(IEffectFactory&) { return OneInputEffectPtr(new RefCounted<Blur>()); }

Core::Property Blur::GetSettings() const {
  Core::Property settings = MakeSettings();
  settings.SetChildT(IEffectBlur::ALGORITHM, algorithm_);
  settings.SetChildT(IEffectBlur::KERNEL_LENGTH, static_cast<long long>(kernelLength_));
  settings.SetChildT(IEffectBlur::DEVIATION_X, deviationX_);
  settings.SetChildT(IEffectBlur::DEVIATION_Y, deviationY_);
  return settings;
}

void Blur::SetSettings(const Core::Property& settings) {
  CheckSettings(settings);
  if (settings.ChildExists(IEffectBlur::ALGORITHM)) algorithm_ = Core::GetValue<std::string>(settings[IEffectBlur::ALGORITHM]);
  if (settings.ChildExists(IEffectBlur::KERNEL_LENGTH)) {
    const long long length = Core::GetValue<long long>(settings[IEffectBlur::KERNEL_LENGTH]);
    if (length < 1 || length > MAX_KERNEL_LENGTH) {
      ZENTOR_THROW_DESC(EffectException, "Kernel length " + std::to_string(length) + " is outside 1 .. " +
                                             std::to_string(MAX_KERNEL_LENGTH));
    }
    kernelLength_ = static_cast<unsigned>(length);
  }
  const bool hasX = settings.ChildExists(IEffectBlur::DEVIATION_X);
  const bool hasY = settings.ChildExists(IEffectBlur::DEVIATION_Y);
  if (hasX) deviationX_ = Core::GetValue<double>(settings[IEffectBlur::DEVIATION_X]);
  if (hasY) deviationY_ = Core::GetValue<double>(settings[IEffectBlur::DEVIATION_Y]);

  std::unique_ptr<const Impl::Base> impl;
  if (algorithm_ == IEffectBlur::HOMOGENEOUS) {
    // An absent deviation puts the anchor at the kernel centre.
    if (!hasX) deviationX_ = -1.0;
    if (!hasY) deviationY_ = -1.0;
    impl.reset(new Impl::Homogeneous());
  } else if (algorithm_ == IEffectBlur::GAUSSIAN) {
    // An absent sigma is derived from the kernel size.
    if (!hasX) deviationX_ = 0.0;
    if (!hasY) deviationY_ = 0.0;
    impl.reset(new Impl::Gaussian());
  } else if (algorithm_ == IEffectBlur::MEDIAN) {
    impl.reset(new Impl::Median());
  } else if (algorithm_ == IEffectBlur::BILATERAL) {
    if (kernelLength_ > MAX_BILATERAL_DIAMETER) {
      ZENTOR_THROW_DESC(EffectException, "Bilateral diameter " + std::to_string(kernelLength_) + " is above " +
                                             std::to_string(MAX_BILATERAL_DIAMETER));
    }
    if (!hasX) deviationX_ = 2.0 * kernelLength_;
    if (!hasY) deviationY_ = static_cast<double>(kernelLength_ >> 1);
    impl.reset(new Impl::Bilateral());
  } else {
    ZENTOR_THROW_DESC(EffectException, "Unknown algorithm: " + algorithm_);
  }
  impl_ = std::move(impl);
}

void Blur::Process(const cv::Mat& source, cv::Mat& destination) {
  if (!impl_) ZENTOR_THROW_DESC(EffectException, "Effect was not initialized");
  impl_->Process(source, destination, kernelLength_, deviationX_, deviationY_);
}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
