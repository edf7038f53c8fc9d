// The template every effect of the plug-in is built from: wraps frames as OpenCV matrices that share
// their pixels, allocates the destination frame, runs the effect's matrix operation and hands the
// destination back; also the shared settings check, implementation name and statistics (the time of
// successful runs in microseconds, and their count).
#pragma once

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Effects/Kelvra/Utils.h"
#include "Proc/Interfaces/IEffect.h"

#include <opencv2/core.hpp>

#include <string>

namespace Zentor {
namespace Proc {
namespace OpenCV {

template <class Interface, template <class> class Statistics>
class EffectOpenCV : public Statistics<Interface> {
 public:
  void Reset() override {}
  void UpdateFormatCodec(Conf::IFormatCodecVideo&) override {}
  void SetProgressController(const Core::ProgressControllerPtr& controller) override {
    progressController_ = controller;
  }
  Core::Property GetStatistic() const override {
    Core::Property statistic = Core::MakeStatistics("GetStatistic", this->time_, this->count_);
    statistic.SetChildT(Core::PerformanceTimer::IMPL_NAME, GetImplName());
    return statistic;
  }

 protected:
  // Class id, "_" and the implementation name.
  virtual std::string GetImplName() const { return std::string(Interface::CLASS_ID) + "_" + ImplementationName(); }

  // A settings tree named after the class id, with the class id and the implementation name.
  virtual Core::Property MakeSettings() const {
    Core::Property settings{std::string(Interface::CLASS_ID)};
    settings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Interface::CLASS_ID));
    settings.SetChildT(Conf::IPreset::KEY_TYPE_ID, std::string(ImplementationName()));
    return settings;
  }

  // Refuses a settings tree not named exactly after the class id.
  virtual void CheckSettings(const Core::Property& settings) const {
    if (settings.GetName() != Interface::CLASS_ID) {
      ZENTOR_THROW_DESC(EffectException, std::string(Interface::CLASS_ID) + " was initialized with incorrect class!");
    }
  }

  // A new frame of the source's format, size and pixel aspect.
  virtual DataVideoPtr AllocateDstFrame(const DataVideoPtr& source) {
    if (!source) ZENTOR_THROW_DESC(EffectException, "Effect has no input frame");
    return DataVideoFF::Create(source->GetPixelFormat(), source->GetWidth(), source->GetHeight(), source->GetAspectX(),
                               source->GetAspectY());
  }

  virtual void PostProcess(DataVideoPtr& /*frame*/) {}

  // Implementation name the effect is registered under.
  virtual const char* ImplementationName() const { return ImplNames::OPENCV; }

  static cv::Mat GetMat(const DataVideoPtr& frame) { return Utils::GetMat(frame); }

  static void CopyTiming(const DataVideoPtr& source, const DataVideoPtr& destination) {
    if (!destination) return;
    destination->SetDuration(source ? source->GetDuration() : IDataVideo::DEFAULT_DURATION);
    destination->SetTimestamp(source ? source->GetTimestamp() : IDataVideo::DEFAULT_TIMESTAMP);
  }

  // The matrix operations write into the destination frame's own memory; a matrix that was
  // reallocated would silently lose the result.
  static void CheckDestination(const cv::Mat& destination, const uchar* memory) {
    if (destination.data != memory) ZENTOR_THROW_DESC(EffectException, "Effect result does not fit its frame");
  }

  Core::ProgressControllerPtr progressController_;
};

template <class Interface>
class EffectOpenCVOneInput : public EffectOpenCV<Interface, OneInputEffectStatistics> {
  using Base = EffectOpenCV<Interface, OneInputEffectStatistics>;

 protected:
  void ProcessInternal(DataVideoPtr& frame) override {
    const Core::PerformanceTimer timer;
    try {
      const cv::Mat source = Base::GetMat(frame);
      DataVideoPtr destination = this->AllocateDstFrame(frame);
      Base::CopyTiming(frame, destination);
      cv::Mat destinationMat = Base::GetMat(destination);
      const uchar* memory = destinationMat.data;
      Process(source, destinationMat);
      Base::CheckDestination(destinationMat, memory);
      this->PostProcess(destination);
      if (destination) frame = destination;
      this->time_ += timer.Elapsed();
    } catch (const cv::Exception& e) {
      ZENTOR_THROW_DESC(EffectException, Utils::DescribeOpenCVError(e));
    }
  }

  virtual void Process(const cv::Mat& source, cv::Mat& destination) = 0;
};

template <class Interface>
class EffectOpenCVTwoInput : public EffectOpenCV<Interface, TwoInputEffectStatistics> {
  using Base = EffectOpenCV<Interface, TwoInputEffectStatistics>;

 protected:
  void ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& second) override {
    const Core::PerformanceTimer timer;
    try {
      const cv::Mat source = Base::GetMat(frame);
      const cv::Mat secondMat = Base::GetMat(second);
      DataVideoPtr destination = this->AllocateDstFrame(frame);
      Base::CopyTiming(frame, destination);
      cv::Mat destinationMat = Base::GetMat(destination);
      const uchar* memory = destinationMat.data;
      Process(source, secondMat, destinationMat);
      Base::CheckDestination(destinationMat, memory);
      this->PostProcess(destination);
      if (destination) frame = destination;
      this->time_ += timer.Elapsed();
    } catch (const cv::Exception& e) {
      ZENTOR_THROW_DESC(EffectException, Utils::DescribeOpenCVError(e));
    }
  }

  virtual void Process(const cv::Mat& source, const cv::Mat& second, cv::Mat& destination) = 0;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
