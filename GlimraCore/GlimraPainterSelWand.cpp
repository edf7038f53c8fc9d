#include "GlimraCore/GlimraPainterSelWand.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectFloodFill.h"
#include "Proc/Interfaces/IEffectMorphology.h"

#include <algorithm>

namespace Zentor {
namespace Glimra {

using Proc::CropInfo;
using Proc::DataVideoPtr;

GlimraPainterSelWand::GlimraPainterSelWand(const GlimraUndoPtr& undo, const GlimraBrushPtr& brush)
    : GlimraPainterImpl(undo), brush_(brush) {}

PaintPatch GlimraPainterSelWand::Paint(uint32_t x, uint32_t y) {
  seedX_ = static_cast<int32_t>(x);
  seedY_ = static_cast<int32_t>(y);
  return EmptyPatch();
}

int GlimraPainterSelWand::ConvertFromPct(int percent) {
  // Sizes beyond 100 % mean the widest tolerance.
  const int p = std::clamp(percent, 0, 100);
  return p <= 50 ? p : 50 + (p * 205 - 10250) / 50;
}

void GlimraPainterSelWand::FloodFill(DataVideoPtr& frame) {
  const DataVideoPtr stamp = brush_->GetBrush(IGlimraBrush::DEFAULT_COEFFICIENT);
  if (!stamp) ZENTOR_THROW_DESC(PainterException, "The brush has no stamp to read the tolerance from");
  const auto percent = [](uint32_t size) { return static_cast<int>(std::min<uint32_t>(size, 100)); };
  Core::Property settings{std::string(Proc::IEffectFloodFill::CLASS_ID)};
  settings.SetChildT(Proc::IEffectFloodFill::DIFF_LOWER, static_cast<long long>(ConvertFromPct(percent(stamp->GetWidth()))));
  settings.SetChildT(Proc::IEffectFloodFill::DIFF_UPPER, static_cast<long long>(ConvertFromPct(percent(stamp->GetHeight()))));
  settings.SetChildT(Proc::IEffectFloodFill::COLOR, static_cast<long long>(IGlimraBrush::DEFAULT_COEFFICIENT));
  settings.SetChildT(Proc::IEffectFloodFill::SEED_X, static_cast<long long>(seedX_));
  settings.SetChildT(Proc::IEffectFloodFill::SEED_Y, static_cast<long long>(seedY_));
  settings.SetChildT(Proc::IEffectFloodFill::MASK_ONLY, true);
  Proc::OneInputEffectPtr effect = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
      Proc::IEffectFloodFill::CLASS_ID, Proc::ImplNames::DEFAULT);
  effect->SetSettings(settings);
  effect->Process(frame);
}

void GlimraPainterSelWand::Morph(DataVideoPtr& frame) {
  Core::Property settings{std::string(Proc::IEffectMorphology::CLASS_ID)};
  settings.SetChildT(Proc::IEffectMorphology::OPERATION, std::string(Proc::IEffectMorphology::DILATE));
  settings.SetChildT(Proc::IEffectMorphology::ITERATIONS, 2LL);
  Proc::OneInputEffectPtr effect = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
      Proc::IEffectMorphology::CLASS_ID, Proc::ImplNames::DEFAULT);
  effect->SetSettings(settings);
  effect->Process(frame);
  settings.SetChildT(Proc::IEffectMorphology::OPERATION, std::string(Proc::IEffectMorphology::CLOSE));
  settings.SetChildT(Proc::IEffectMorphology::ITERATIONS, 1LL);
  effect->SetSettings(settings);
  effect->Process(frame);
}

void GlimraPainterSelWand::Save() {
  const DataVideoPtr picture = CurrentVideo();
  if (seedX_ < 0 || uint32_t(seedX_) >= picture->GetWidth() || seedY_ < 0 || uint32_t(seedY_) >= picture->GetHeight()) {
    return;
  }
  Core::PerformanceTimer timer;
  // In mask mode the fill answers a new GRAY8 frame and leaves the picture alone: no copy needed.
  DataVideoPtr frame = picture;
  FloodFill(frame);
  if (frame == picture) ZENTOR_THROW_DESC(Proc::EffectException, "The flood fill did not return a mask");
  Morph(frame);
  ++paintedCount_;
  DataVideoPtr alpha = CreateAlpha(false);
  if (!frame || frame->GetPixelFormat() != AV_PIX_FMT_GRAY8 || frame->GetWidth() != alpha->GetWidth() ||
      frame->GetHeight() != alpha->GetHeight()) {
    ZENTOR_THROW_DESC(Proc::EffectException, "The flood fill did not return a mask of the picture's size");
  }
  const uint32_t width = frame->GetWidth();
  const uint32_t height = frame->GetHeight();
  CropInfo r = EmptyRect(width, height);
  const Proc::Picture& m = frame->GetPicture();
  Proc::Picture& a = alpha->GetPicture();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* from = m.data[0] + size_t(y) * m.linesize[0];
    uint8_t* to = a.data[0] + size_t(y) * a.linesize[0];
    for (uint32_t x = 0; x < width; ++x) {
      if (from[x] == 0) continue;
      Grow(r, x, y);
      to[x] = IGlimraBrush::DEFAULT_COEFFICIENT;
    }
  }
  const int64_t elapsed = timer.Elapsed();
  paintingTime_ += elapsed;
  totalTime_ += elapsed;
  if (!r.IsEmpty()) undo_->AddMask(alpha, r);
}

}  // namespace Glimra
}  // namespace Zentor
