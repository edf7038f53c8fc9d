// The magic wand: the area of similar colour round the clicked point is added to the selection.
#pragma once

#include "GlimraCore/GlimraPainter.h"

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API GlimraPainterSelWand : public GlimraPainterImpl {
 public:
  // The tolerance arrives as the brush size, in percent.
  GlimraPainterSelWand(const GlimraUndoPtr& undo, const GlimraBrushPtr& brush);

  // The last position of the stroke is the seed.
  PaintPatch Paint(uint32_t x, uint32_t y) override;
  void Save() override;
  Proc::DataVideoPtr GetVideo() override { return Proc::DataVideoPtr(); }

  // Flood fill in mask mode from the seed; frame becomes the GRAY8 mask of the filled area.
  void FloodFill(Proc::DataVideoPtr& frame);
  // Two dilations, then a closing.
  void Morph(Proc::DataVideoPtr& frame);
  // 0..100 percent onto 0..255: identity up to 50, then steeper (51 -> 54, 75 -> 152, 100 -> 255).
  static int ConvertFromPct(int percent);

  int32_t GetSeedX() const { return seedX_; }
  int32_t GetSeedY() const { return seedY_; }

 private:
  GlimraBrushPtr brush_;
  int32_t seedX_ = 0;
  int32_t seedY_ = 0;
};

}  // namespace Glimra
}  // namespace Zentor
