#include "GlimraCore/GlimraPainterSelBrush.h"

#include "Core/Interfaces/Exception.h"
#include "GlimraCore/GlimraExceptions.h"

namespace Zentor {
namespace Glimra {

namespace {

Proc::DataVideoPtr SelectionPicture(const GlimraUndoPtr& undo) {
  Proc::DataVideoPtr picture = undo->GetVideoColor(GlimraPainterSelBrush::SELECTION_COLOR);
  if (!picture) ZENTOR_THROW_DESC(PainterException, "There is no picture to paint on");
  return picture;
}

}  // namespace

GlimraPainterSelBrush::GlimraPainterSelBrush(const GlimraBrushPtr& brush, const GlimraUndoPtr& undo,
                                             const Proc::TwoInputEffectPtr& blend,
                                             const Proc::OneInputEffectPtr& alphaExtractor,
                                             const Proc::TwoInputEffectPtr& alphaInserter)
    : GlimraPainterBrush(false, brush, undo, blend, alphaExtractor, alphaInserter) {
  picture_ = SelectionPicture(undo);
}

PaintPatch GlimraPainterSelBrush::Paint(uint32_t x, uint32_t y) {
  return PaintStroke(x, y, IGlimraBrush::DEFAULT_COEFFICIENT, PixelRule::RAISE, true);
}

void GlimraPainterSelBrush::Save() {
  CommitMask();
}

GlimraPainterSelEraser::GlimraPainterSelEraser(const GlimraBrushPtr& brush, const GlimraUndoPtr& undo,
                                               const Proc::TwoInputEffectPtr& blend,
                                               const Proc::OneInputEffectPtr& alphaExtractor,
                                               const Proc::TwoInputEffectPtr& alphaInserter)
    : GlimraPainterBrush(false, brush, undo, blend, alphaExtractor, alphaInserter) {
  picture_ = SelectionPicture(undo);
}

PaintPatch GlimraPainterSelEraser::Paint(uint32_t x, uint32_t y) {
  return PaintStroke(x, y, IGlimraBrush::DEFAULT_COEFFICIENT, PixelRule::CLEAR, true);
}

void GlimraPainterSelEraser::Save() {
  CommitMask();
}

}  // namespace Glimra
}  // namespace Zentor
