// Blur with one of four OpenCV filters, chosen by name.
#pragma once

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Effects/Kelvra/EffectOpenCV.h"
#include "Proc/Interfaces/IEffectBlur.h"

#include <memory>
#include <string>

namespace Zentor {
namespace Proc {
namespace OpenCV {

class Blur : public EffectOpenCVOneInput<IEffectBlur> {
 public:
  // Kernels beyond these sizes only cost memory and time; the bilateral filter works on the whole
  // square of its diameter for every pixel.
  static constexpr unsigned MAX_KERNEL_LENGTH = 1023;
  static constexpr unsigned MAX_BILATERAL_DIAMETER = 63;
  // Filter strategies.
  struct Impl {
    class Base {
     public:
      virtual ~Base() = default;
      virtual void Process(const cv::Mat& source, cv::Mat& destination, uint32_t kernelLength, double deviationX,
                           double deviationY) const = 0;
    };
    class Homogeneous;
    class Gaussian;
    class Median;
    class Bilateral;
  };

  static OneInputEffectPtr Create(IEffectFactory& factory);

  Core::Property GetSettings() const override;
  void SetSettings(const Core::Property& settings) override;

 protected:
  void Process(const cv::Mat& source, cv::Mat& destination) override;

 private:
  std::string algorithm_ = IEffectBlur::HOMOGENEOUS;
  uint32_t kernelLength_ = 2;
  double deviationX_ = 0.0;
  double deviationY_ = 0.0;
  std::unique_ptr<const Impl::Base> impl_;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
