#include "DrawingTools/DrawingToolErase.h"

namespace Zentor {
namespace Glimra {

DrawingToolErase::DrawingToolErase(QGraphicsView& view) : DrawingToolBrush(view, false) {}

boost::shared_ptr<IDrawingTool> DrawingToolErase::Create(QGraphicsView& view, IGlimraDrawer&) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolErase(view));
}

}  // namespace Glimra
}  // namespace Zentor
