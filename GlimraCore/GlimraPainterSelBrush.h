// The selection brush paints the selection mask along the stroke; the eraser removes it.
#pragma once

#include "GlimraCore/GlimraPainter.h"

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API GlimraPainterSelBrush : public GlimraPainterBrush {
 public:
  // The selection colour laid over the picture where the mask is set.
  static constexpr uint32_t SELECTION_COLOR = 0x2EFF12;

  GlimraPainterSelBrush(const GlimraBrushPtr& brush, const GlimraUndoPtr& undo, const Proc::TwoInputEffectPtr& blend,
                        const Proc::OneInputEffectPtr& alphaExtractor, const Proc::TwoInputEffectPtr& alphaInserter);

  PaintPatch Paint(uint32_t x, uint32_t y) override;
  // A mask step over the stroke rectangle when any pixel changed.
  void Save() override;
};

class GLIMRA_CORE_API GlimraPainterSelEraser : public GlimraPainterBrush {
 public:
  GlimraPainterSelEraser(const GlimraBrushPtr& brush, const GlimraUndoPtr& undo, const Proc::TwoInputEffectPtr& blend,
                         const Proc::OneInputEffectPtr& alphaExtractor, const Proc::TwoInputEffectPtr& alphaInserter);

  PaintPatch Paint(uint32_t x, uint32_t y) override;
  void Save() override;
};

}  // namespace Glimra
}  // namespace Zentor
