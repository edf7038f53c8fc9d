// The clone stamp: copies the picture, shifted by the source offset, along the stroke.
#pragma once

#include "GlimraCore/GlimraPainter.h"

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API GlimraPainterClone : public GlimraPainterBrush {
 public:
  // settings: the paint settings with IGlimraDrawer::OFFSET_X, OFFSET_Y (destination minus
  // source) and the optional OPACITY in percent.
  GlimraPainterClone(const Core::Property& settings, const GlimraBrushPtr& brush, const GlimraUndoPtr& undo,
                     const Proc::TwoInputEffectPtr& blend, const Proc::OneInputEffectPtr& alphaExtractor,
                     const Proc::TwoInputEffectPtr& alphaInserter);

  PaintPatch Paint(uint32_t x, uint32_t y) override;
  // A new image step without selection when any pixel changed.
  void Save() override;

  uint8_t GetOpacity() const { return opacity_; }
  int32_t GetOffsetX() const { return offsetX_; }
  int32_t GetOffsetY() const { return offsetY_; }

 private:
  Core::Property settings_;
  uint8_t opacity_ = 255;
  bool committed_ = false;
};

}  // namespace Glimra
}  // namespace Zentor
