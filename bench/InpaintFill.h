// The framework's inpainting effect, or its previous form, run on an OpenCV picture: shared by the
// inpainting benchmarks.
#pragma once

#include "BenchSupport.h"

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "inpaint_before/InpaintBefore.h"

#include <opencv2/core.hpp>

namespace Bench {

inline Zentor::Proc::DataVideoPtr ToFrame(const cv::Mat& m, AVPixelFormat format) {
  Zentor::Proc::DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(format, m.cols, m.rows);
  m.copyTo(cv::Mat(m.rows, m.cols, m.type(), frame->GetPicture().data[0], frame->GetPicture().linesize[0]));
  return frame;
}

// The effect as it is now, or (before) as it was on G'MIC, with the program's settings.
inline Zentor::Proc::TwoInputEffectPtr MakeInpaintEffect(bool before) {
  using namespace Zentor::Proc;
  TwoInputEffectPtr effect(before ? static_cast<ITwoInputEffectVideo*>(new EffectsBefore::InpaintGmic())
                                  : Zentor::Core::CoreManager::Instance()
                                        .GetEffectFactory()
                                        ->CreateTwoInputVideo(IEffectInpaint::CLASS_ID, ImplNames::GMIC)
                                        .get());
  Zentor::Core::Property settings(IEffectInpaint::CLASS_ID);
  settings.SetChildT(IEffectInpaint::LOOKUP_SIZE, 15.0);
  effect->SetSettings(settings);
  return effect;
}

// One fill of a BGR picture's mask; its time in seconds goes to `seconds`.
inline cv::Mat FillByEffect(bool before, const cv::Mat& bgr, const cv::Mat& mask, double& seconds) {
  Zentor::Proc::DataVideoPtr frame = ToFrame(bgr, AV_PIX_FMT_BGR24);
  const Zentor::Proc::DataVideoPtr maskFrame = ToFrame(mask, AV_PIX_FMT_GRAY8);
  Zentor::Proc::TwoInputEffectPtr effect = MakeInpaintEffect(before);
  const auto start = Clock::now();
  effect->Process(frame, maskFrame);
  seconds = Seconds(start);
  cv::Mat out;
  cv::Mat(bgr.rows, bgr.cols, CV_8UC3, frame->GetPicture().data[0], frame->GetPicture().linesize[0]).copyTo(out);
  return out;
}

}  // namespace Bench
