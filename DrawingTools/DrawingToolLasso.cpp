#include "DrawingTools/DrawingToolLasso.h"

#include "DrawingTools/OutlinePen.h"
#include "Engine/DrawerCoordinate.h"
#include "GlimraCore/IGlimraCore.h"

#include <QGraphicsView>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace Zentor {
namespace Glimra {

namespace {
const QPointF DIFF_POINT(1.0, 0.0);
}

DrawingToolLasso::DrawingToolLasso(QGraphicsView& view, IGlimraDrawer& drawer) : view(view), drawer(drawer) {
  updateCursor(0, 0);
}

boost::shared_ptr<IDrawingTool> DrawingToolLasso::Create(QGraphicsView& view, IGlimraDrawer& drawer) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolLasso(view, drawer));
}

QPointF DrawingToolLasso::ScenePosition(const QMouseEvent* event) const {
  return view.mapToScene(event->position().toPoint());
}

void DrawingToolLasso::cancelDrawing() {
  if (finished) return;
  FinishLasso(points.first() + DIFF_POINT);
}

bool DrawingToolLasso::mousePressEvent(QMouseEvent* event) {
  const QPointF p = ScenePosition(event);
  drawer.PaintStart(ToDrawerCoordinate(p.x()), ToDrawerCoordinate(p.y()));
  points.append(p);
  view.viewport()->update();
  finished = false;
  return true;
}

bool DrawingToolLasso::mouseMoveEvent(QMouseEvent* event) {
  if (points.isEmpty()) return true;
  const QPointF p = ScenePosition(event);
  drawer.Paint(ToDrawerCoordinate(p.x()), ToDrawerCoordinate(p.y()));
  points.append(p);
  view.viewport()->update();
  return true;
}

bool DrawingToolLasso::mouseReleaseEvent(QMouseEvent* event) {
  if (points.isEmpty()) return true;
  const QPointF p = ScenePosition(event);
  drawer.Paint(ToDrawerCoordinate(p.x()), ToDrawerCoordinate(p.y()));
  // Stopping on the first point hands the engine a closed outline.
  FinishLasso(points.first());
  return true;
}

void DrawingToolLasso::FinishLasso(const QPointF& point) {
  const QPointF stop = point;  // may refer into the points cleared below
  // The outline is over even when the engine refuses it.
  finished = true;
  points.clear();
  view.viewport()->update();
  drawer.PaintStop(ToDrawerCoordinate(stop.x()), ToDrawerCoordinate(stop.y()));
}

void DrawingToolLasso::paintEvent(QPaintEvent*, QPaintDevice* device) {
  if (points.isEmpty()) return;
  QPolygon outline;
  outline.reserve(points.size());
  for (const QPointF& point : points) outline.append(view.mapFromScene(point));
  QPainter painter(device);
  painter.setPen(OutlinePen(Qt::green));
  painter.drawPolyline(outline);
}

void DrawingToolLasso::updateCursor(int, int) {
  if (view.dragMode() != QGraphicsView::NoDrag) return;
  view.viewport()->setCursor(QCursor(QPixmap(QStringLiteral(":/Glimra/cursors/lasso.png")), 1, 1));
}

}  // namespace Glimra
}  // namespace Zentor
