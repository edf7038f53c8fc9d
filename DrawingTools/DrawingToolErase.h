// The eraser: the scene paints its strokes; the tool only draws the round cursor with a minus sign.
#pragma once

#include "DrawingTools/DrawingToolEmpty.h"

namespace Zentor {
namespace Glimra {

class DrawingToolErase : public DrawingToolEmpty {
  Q_OBJECT

 public:
  explicit DrawingToolErase(QGraphicsView& view);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  // The blur is ignored.
  void updateCursor(int size, int blur) override;

 private:
  int cursorSize = 0;
};

}  // namespace Glimra
}  // namespace Zentor
