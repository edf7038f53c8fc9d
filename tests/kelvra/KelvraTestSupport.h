// Shared helpers of the Kelvra tests: effect creation through the framework, frames to and from
// matrices, a scriptable progress controller.
#pragma once

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/IProgressController.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <opencv2/core.hpp>

#include <climits>
#include <cstring>
#include <string>

namespace KelvraTest {

using namespace Zentor;
using namespace Zentor::Proc;

inline OneInputEffectPtr CreateOne(const char* classId, const char* implName = ImplNames::OPENCV) {
  return Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(classId, implName);
}

inline TwoInputEffectPtr CreateTwo(const char* classId, const char* implName = ImplNames::ZENTOR) {
  return Core::CoreManager::Instance().GetEffectFactory()->CreateTwoInputVideo(classId, implName);
}

inline int MatType(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_GRAY8:
      return CV_8UC1;
    case AV_PIX_FMT_BGR24:
    case AV_PIX_FMT_RGB24:
      return CV_8UC3;
    default:
      return CV_8UC4;
  }
}

inline DataVideoPtr FrameFromMat(const cv::Mat& mat, AVPixelFormat format) {
  DataVideoPtr frame = DataVideoFF::Create(format, mat.cols, mat.rows, 1, 1);
  Picture& p = frame->GetPicture();
  for (int y = 0; y < mat.rows; ++y) std::memcpy(p.data[0] + y * p.linesize[0], mat.ptr(y), mat.cols * mat.elemSize());
  return frame;
}

// A copy of the frame's pixels.
inline cv::Mat MatFromFrame(const DataVideoPtr& frame) {
  const Picture& p = frame->GetPicture();
  return cv::Mat(frame->GetHeight(), frame->GetWidth(), MatType(frame->GetPixelFormat()), p.data[0], p.linesize[0])
      .clone();
}

inline bool SameBytes(const cv::Mat& a, const cv::Mat& b) {
  return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

inline Core::Property Settings(const char* classId) { return Core::Property(std::string(classId)); }

// The description of the EffectException that f raises, or a marker when it raises none or another.
template <class F>
std::string EffectError(F&& f) {
  try {
    f();
  } catch (const EffectException& e) {
    return GetDescription(e, "<no description>");
  } catch (const std::exception& e) {
    return std::string("<other exception: ") + e.what() + ">";
  }
  return "<no exception>";
}

// True for the description of a wrapped OpenCV error.
inline bool IsOpenCVError(const std::string& description) { return description.rfind("OpenCV", 0) == 0; }

class TestController : public RefCounted<Core::IProgressController> {
 public:
  void Notify(NotifyEvent) override {}
  void SetMaximum(int value) override {
    maximum = value;
    ++maximumCalls;
  }
  void SetProgress(int) override {}
  void IncProgress(int step) override { progress += step; }
  bool CheckForStop() const override { return ++checks > stopAfter; }
  void SetClient(Core::IProgressControllerClient*) override {}

  int maximum = -1;
  int maximumCalls = 0;
  long progress = 0;
  mutable long checks = 0;
  long stopAfter = LONG_MAX;  // answers true from the (stopAfter + 1)-th call on
};

}  // namespace KelvraTest
