// The selection brush: the scene paints its strokes; the tool only draws the round cursor with a plus sign.
#pragma once

#include "DrawingTools/DrawingToolEmpty.h"

namespace Zentor {
namespace Glimra {

class DrawingToolBrush : public DrawingToolEmpty {
  Q_OBJECT

 public:
  explicit DrawingToolBrush(QGraphicsView& view);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  // The blur is ignored.
  void updateCursor(int size, int blur) override;

 protected:
  // plusSign: the selection brush shows a plus, the eraser a minus.
  DrawingToolBrush(QGraphicsView& view, bool plusSign);

 private:
  const bool plusSign;
  int cursorSize = 0;
};

}  // namespace Glimra
}  // namespace Zentor
