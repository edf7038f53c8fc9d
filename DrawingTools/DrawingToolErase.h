// The eraser: the scene paints its strokes; the tool only draws the round cursor with a minus sign.
#pragma once

#include "DrawingTools/DrawingToolBrush.h"

namespace Zentor {
namespace Glimra {

class DrawingToolErase : public DrawingToolBrush {
  Q_OBJECT

 public:
  explicit DrawingToolErase(QGraphicsView& view);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);
};

}  // namespace Glimra
}  // namespace Zentor
