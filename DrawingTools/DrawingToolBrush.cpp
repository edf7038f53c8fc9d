#include "DrawingTools/DrawingToolBrush.h"

#include "DrawingTools/BrushCursor.h"

#include <QGraphicsView>

namespace Zentor {
namespace Glimra {

DrawingToolBrush::DrawingToolBrush(QGraphicsView& view) : DrawingToolBrush(view, true) {}

DrawingToolBrush::DrawingToolBrush(QGraphicsView& view, bool plusSign)
    : DrawingToolEmpty(view), plusSign(plusSign) {}

boost::shared_ptr<IDrawingTool> DrawingToolBrush::Create(QGraphicsView& view, IGlimraDrawer&) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolBrush(view));
}

void DrawingToolBrush::updateCursor(int size, int) {
  if (size != 0) cursorSize = size;
  // Before any size was set there is nothing to draw.
  if (cursorSize <= 0 || !MayChangeCursor()) return;
  view.viewport()->setCursor(MakeBrushCursor(cursorSize, plusSign));
}

}  // namespace Glimra
}  // namespace Zentor
