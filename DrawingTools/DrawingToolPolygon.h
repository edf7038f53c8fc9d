// The polygon lasso: each click adds a vertex to the drawer's stroke; a click near the first
// vertex or a double-click closes the outline, which the engine fills into the selection.
#pragma once

#include "DrawingTools/IDrawingTool.h"

#include <QPointF>
#include <QVector>

#include <boost/shared_ptr.hpp>

class QGraphicsView;

namespace Zentor {
namespace Glimra {

class IGlimraDrawer;

// GUI thread only. Every mouse event is consumed; drawer failures leave the handlers.
class DrawingToolPolygon : public IDrawingTool {
  Q_OBJECT

 public:
  // View pixels from the first vertex within which a click closes the polygon.
  static constexpr int CLOSING_DISTANCE = 25;

  DrawingToolPolygon(QGraphicsView& view, IGlimraDrawer& drawer);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  // Ends an outline under way next to its start, so the engine commits what was drawn.
  void cancelDrawing() override;
  bool keyPressEvent(QKeyEvent*) override { return false; }
  bool mousePressEvent(QMouseEvent* event) override;
  bool mouseMoveEvent(QMouseEvent* event) override;
  bool mouseReleaseEvent(QMouseEvent*) override { return true; }
  bool mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event, QPaintDevice* device) override;
  void updateCursor(int size, int blur) override;

  // Whether a click at the scene point p closes the polygon: 3 vertices or more and p within
  // the closing distance of the first one on the screen, whatever the zoom.
  bool CanBeCompleted(const QPointF& p) const;
  void FinishPolygon(const QPointF& point);

 private:
  QGraphicsView& view;
  IGlimraDrawer& drawer;
  bool finished = true;
  QVector<QPointF> points;
};

}  // namespace Glimra
}  // namespace Zentor
