#include "GlimraCore/GlimraPainterClone.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/IGlimraCore.h"

#include <algorithm>
#include <limits>

namespace Zentor {
namespace Glimra {

namespace {

// Offsets beyond the 32-bit range clone nothing either way; keep them from wrapping round.
int32_t ReadOffset(const Core::Property& settings, const std::string& key) {
  const long long value = Core::GetValue<long long>(settings[key]);
  return static_cast<int32_t>(std::clamp<long long>(value, -std::numeric_limits<int32_t>::max(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

GlimraPainterClone::GlimraPainterClone(const Core::Property& settings, const GlimraBrushPtr& brush,
                                       const GlimraUndoPtr& undo, const Proc::TwoInputEffectPtr& blend,
                                       const Proc::OneInputEffectPtr& alphaExtractor,
                                       const Proc::TwoInputEffectPtr& alphaInserter)
    : GlimraPainterBrush(true, brush, undo, blend, alphaExtractor, alphaInserter), settings_(settings) {
  // The stroke reads the picture as it was when the stroke began.
  picture_ = undo->GetVideoCopy();
  if (!picture_) ZENTOR_THROW_DESC(PainterException, "There is no picture to clone from");
  offsetX_ = ReadOffset(settings, IGlimraDrawer::OFFSET_X);
  offsetY_ = ReadOffset(settings, IGlimraDrawer::OFFSET_Y);
  if (settings.ChildExists(IGlimraDrawer::OPACITY)) {
    const double percent = std::clamp(Core::GetValue<double>(settings[IGlimraDrawer::OPACITY]), 0.0, 100.0);
    opacity_ = static_cast<uint8_t>(static_cast<int>(percent * 255.0 / 100.0 + 0.5));
  }
  // Only destinations whose source lies inside the picture are written.
  const int64_t width = alpha_->GetWidth();
  const int64_t height = alpha_->GetHeight();
  if (offsetX_ > 0) {
    clip_.left = offsetX_;
  } else {
    clip_.right = width + offsetX_;
  }
  if (offsetY_ > 0) {
    clip_.top = offsetY_;
  } else {
    clip_.bottom = height + offsetY_;
  }
  undo->PerformForEachEventHandler(&IDrawerEventHandler::HandleEvent);
}

PaintPatch GlimraPainterClone::Paint(uint32_t x, uint32_t y) {
  if (committed_) return EmptyPatch();
  return PaintStroke(x, y, opacity_, PixelRule::RAISE, false);
}

void GlimraPainterClone::Save() {
  if (!painted_ || committed_) return;
  const Proc::DataVideoPtr frame = GetVideo();
  const Core::Property info = GlimraCore::PrepareFrameInfo(settings_, undo_->GetSettings());
  undo_->Add(info, frame, Proc::DataVideoPtr());
  committed_ = true;
}

}  // namespace Glimra
}  // namespace Zentor
