// The free-hand lasso: the tool drives the drawer's stroke itself, one point per mouse event,
// and the engine fills the closed outline into the selection when the stroke stops.
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
class DrawingToolLasso : public IDrawingTool {
  Q_OBJECT

 public:
  DrawingToolLasso(QGraphicsView& view, IGlimraDrawer& drawer);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  // Ends an outline under way next to its start, so the engine commits what was drawn.
  void cancelDrawing() override;
  bool keyPressEvent(QKeyEvent*) override { return false; }
  bool mousePressEvent(QMouseEvent* event) override;
  bool mouseMoveEvent(QMouseEvent* event) override;
  bool mouseReleaseEvent(QMouseEvent* event) override;
  bool mouseDoubleClickEvent(QMouseEvent*) override { return false; }
  void paintEvent(QPaintEvent* event, QPaintDevice* device) override;
  void updateCursor(int size, int blur) override;

  void FinishLasso(const QPointF& point);

 private:
  QPointF ScenePosition(const QMouseEvent* event) const;

  QGraphicsView& view;
  IGlimraDrawer& drawer;
  bool finished = true;
  QVector<QPointF> points;
};

}  // namespace Glimra
}  // namespace Zentor
