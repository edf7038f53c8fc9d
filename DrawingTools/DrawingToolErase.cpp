#include "DrawingTools/DrawingToolErase.h"

#include "DrawingTools/BrushCursor.h"

#include <QGraphicsView>

namespace Zentor {
namespace Glimra {

DrawingToolErase::DrawingToolErase(QGraphicsView& view) : DrawingToolEmpty(view) {}

boost::shared_ptr<IDrawingTool> DrawingToolErase::Create(QGraphicsView& view, IGlimraDrawer&) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolErase(view));
}

void DrawingToolErase::updateCursor(int size, int) {
  if (size != 0) cursorSize = size;
  // Before any size was set there is nothing to draw.
  if (cursorSize <= 0 || !MayChangeCursor()) return;
  view.viewport()->setCursor(MakeBrushCursor(cursorSize, false));
}

}  // namespace Glimra
}  // namespace Zentor
