#include "Engine/PaintTools.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/IGlimraBrush.h"

#include <QAbstractButton>

#include <boost/throw_exception.hpp>
#include <glog/logging.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace Zentor {
namespace Glimra {

const std::map<PaintTools::Mode, std::string> PaintTools::s_paintModes = {
    {BRUSH, IGlimraDrawer::SEL_BRUSH},   {POLYGON, IGlimraDrawer::SEL_POLYGON}, {LASSO, IGlimraDrawer::SEL_LASSO},
    {MAGIC_WAND, IGlimraDrawer::SEL_WAND}, {ERASER, IGlimraDrawer::SEL_ERASER}, {CLONE, IGlimraDrawer::PAINT_CLONE},
    {CROP, EMPTY_DRAWER},
};

PaintTools::PaintTools(IGlimraDrawer& drawer) : drawer_(drawer) {}

void PaintTools::AddControlToGroup(QAbstractButton* button, Mode mode) { buttons_.addButton(button, mode); }

QAbstractButton* PaintTools::GetActiveControl() const { return buttons_.checkedButton(); }

void PaintTools::BrushModeOn(int size) {
  ConfigurePainter(BRUSH);
  ConfigureBrush(size, -1);
}

void PaintTools::PolygonModeOn() { ConfigurePainter(POLYGON); }

void PaintTools::LassoModeOn() { ConfigurePainter(LASSO); }

void PaintTools::WandModeOn(int tolerance) {
  ConfigurePainter(MAGIC_WAND);
  ConfigureBrush(tolerance, -1);
}

void PaintTools::EraseModeOn(int size) {
  ConfigurePainter(ERASER);
  ConfigureBrush(size, -1);
}

void PaintTools::CloneModeOn(int size, int blur) {
  ConfigurePainter(CLONE);
  ConfigureBrush(size, blur);
}

void PaintTools::CropModeOn() { ConfigurePainter(CROP); }

void PaintTools::UpdateBrushSize(int size, int blur) { ConfigureBrush(size, blur); }

void PaintTools::OnScaleChanged(double percent) {
  // A zero zoom would make the brush infinitely wide.
  if (!std::isfinite(percent) || percent <= 0.0) {
    BOOST_THROW_EXCEPTION(std::invalid_argument("Zoom must be a positive percentage."));
  }
  scalePercent_ = percent;
  ConfigureBrush(size_, -1);
}

void PaintTools::ActivateLastPaintTool() {
  if (mode_ != CROP) return;
  // The polygon and the lasso share a button.
  const int id = previousMode_ == POLYGON ? LASSO : previousMode_;
  if (QAbstractButton* button = buttons_.button(id)) button->click();
}

bool PaintTools::HasSelectedArea() const { return drawer_.HasPaintedArea(); }

bool PaintTools::HasChange() const { return drawer_.HasChange(); }

void PaintTools::ClearSelection() { drawer_.PaintReset(); }

void PaintTools::OnResizeSelectedArea(int step) { drawer_.ResizePaintedArea(step); }

void PaintTools::ApplyEffect(const Core::Property& settings) { drawer_.ApplyEffect(settings, false); }

void PaintTools::ConfigurePainter(Mode mode) {
  const auto found = s_paintModes.find(mode);
  if (found == s_paintModes.end()) {
    LOG(ERROR) << "Undefined paint tool.";
    BOOST_THROW_EXCEPTION(std::invalid_argument("Unsupported paint mode.\n" + GetCallStack()));
  }
  previousMode_ = mode_;
  mode_ = mode;
  emit CurrentModeChanged();

  Core::Property settings(IGlimraDrawer::CLASS_ID);
  settings.SetChildT(IGlimraDrawer::TAG_PAINT_TYPE, found->second);
  if (mode == CLONE) settings.SetChildT(IGlimraDrawer::OPACITY, 100LL);
  drawer_.PaintInit(settings);
}

void PaintTools::ConfigureBrush(int size, int blur) {
  if (size <= 0) return;
  size_ = size;
  if (mode_ == CLONE && blur != -1) blur_ = blur;
  const int sentBlur = mode_ == CLONE ? blur_ : 0;
  emit BrushSettingsChanged(size, sentBlur);

  // The brush keeps its size on the screen; the wand's tolerance is no size and is sent as it is.
  // A brush narrower than a picture pixel would paint nothing.
  int64_t width = size;
  if (mode_ != MAGIC_WAND) {
    const double scaled = std::trunc(size * (100.0 / scalePercent_));
    constexpr double widest = double(std::numeric_limits<int64_t>::max() / 2);
    width = scaled >= widest ? int64_t(widest) : std::max<int64_t>(1, int64_t(scaled));
  }

  Core::Property brush(IGlimraBrush::CLASS_ID);
  brush.SetChildT(IGlimraBrush::TAG_BRUSH_TYPE, IGlimraBrush::CIRCLE);
  brush.SetChildT(Conf::IFormatCodecVideo::TAG_WIDTH, static_cast<long long>(width));
  brush.SetChildT(Conf::IFormatCodecVideo::TAG_HEIGHT, static_cast<long long>(width));
  if (mode_ == CLONE) brush.SetChildT(IGlimraBrush::SMOOTH, static_cast<long long>(sentBlur));
  drawer_.SetBrush(brush);
}

}  // namespace Glimra
}  // namespace Zentor
