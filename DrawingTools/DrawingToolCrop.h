// The crop tool: a rubber rectangle over the picture, resized by its handles or moved, applied
// with Return, Enter or a double-click inside. It takes every mouse event, so the scene never
// paints in crop mode. The rectangle lives in scene coordinates; hit tests use view pixels.
#pragma once

#include "DrawingTools/IDrawingTool.h"
#include "DrawingTools/IToolTipProvider.h"

#include <QPoint>
#include <QPointF>
#include <QRect>

#include <boost/shared_ptr.hpp>

class QGraphicsView;

namespace Zentor {
namespace Glimra {

class IGlimraDrawer;

// GUI thread only.
class DrawingToolCrop : public IDrawingTool, public virtual IToolTipProvider {
  Q_OBJECT

 public:
  enum State { NONE = 0, DRAWING = 1, DRAWN = 2, RESIZING = 3, MOVING = 4 };
  // Corners are even, clockwise from the top-left.
  enum AreaPlace {
    TOP_LEFT = 0,
    TOP = 1,
    TOP_RIGHT = 2,
    RIGHT = 3,
    BOTTOM_RIGHT = 4,
    BOTTOM = 5,
    BOTTOM_LEFT = 6,
    LEFT = 7,
    INSIDE = -1,
    OUTSIDE = -2
  };

  static const QPoint OUTSIDE_OF_AREA;
  // Half the side of a handle square.
  static const QPoint OFFSET_SQUARE;

  DrawingToolCrop(QGraphicsView& view, IGlimraDrawer& drawer);
  // Leaving the tool without applying the crop counts as a cancelled crop.
  ~DrawingToolCrop() override;

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  void SetState(State state);
  State GetState() const { return state; }

  void cancelDrawing() override;
  bool keyPressEvent(QKeyEvent* event) override;
  bool mousePressEvent(QMouseEvent* event) override;
  bool mouseMoveEvent(QMouseEvent* event) override;
  bool mouseReleaseEvent(QMouseEvent* event) override;
  bool mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event, QPaintDevice* device) override;
  // Both arguments are ignored: the cursor follows the place under the mouse.
  void updateCursor(int size, int blur) override;

  AreaPlace AreaForMousePosition(const QPoint& pos) const;
  QPoint CornerPointForPlace(AreaPlace place) const;
  void SetCursorForMousePosition(const QPoint& pos);
  // Sends the rectangle to the engine's crop and signals that drawing is finished.
  void DoCrop();

  QString GetDescription() const override;
  std::string GetSettingsName() const override;

 private:
  // The rectangle in view pixels.
  QRect ViewRect() const;
  void Normalise();
  QPointF ScenePosition(const QMouseEvent* event) const;

  QGraphicsView& view;
  IGlimraDrawer& drawer;
  State state = NONE;
  QPointF startPoint;
  QPointF endPoint;
  QPointF lastPoint;
  AreaPlace grabbedPlace = TOP_LEFT;
  bool applied = false;
};

}  // namespace Glimra
}  // namespace Zentor
