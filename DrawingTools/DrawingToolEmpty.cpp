#include "DrawingTools/DrawingToolEmpty.h"

#include <QGraphicsView>

namespace Zentor {
namespace Glimra {

DrawingToolEmpty::DrawingToolEmpty(QGraphicsView& view) : view(view) {}

boost::shared_ptr<IDrawingTool> DrawingToolEmpty::Create(QGraphicsView& view, IGlimraDrawer&) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolEmpty(view));
}

bool DrawingToolEmpty::MayChangeCursor() const { return view.dragMode() == QGraphicsView::NoDrag; }

}  // namespace Glimra
}  // namespace Zentor
