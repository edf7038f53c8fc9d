#include "DrawingTools/DrawingToolPolygon.h"

#include "DrawingTools/OutlinePen.h"
#include "Engine/DrawerCoordinate.h"
#include "GlimraCore/IGlimraCore.h"

#include <QCursor>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include <cmath>

namespace Zentor {
namespace Glimra {

namespace {

const QPointF DIFF_POINT(1.0, 0.0);

int ViewDistance(const QPoint& a, const QPoint& b) {
  const QPoint d = a - b;
  return int(std::sqrt(double(d.x()) * d.x() + double(d.y()) * d.y()));
}

}  // namespace

DrawingToolPolygon::DrawingToolPolygon(QGraphicsView& view, IGlimraDrawer& drawer) : view(view), drawer(drawer) {
  updateCursor(0, 0);
}

boost::shared_ptr<IDrawingTool> DrawingToolPolygon::Create(QGraphicsView& view, IGlimraDrawer& drawer) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolPolygon(view, drawer));
}

bool DrawingToolPolygon::CanBeCompleted(const QPointF& p) const {
  return points.size() >= 3 &&
         ViewDistance(view.mapFromScene(points.first()), view.mapFromScene(p)) < CLOSING_DISTANCE;
}

void DrawingToolPolygon::cancelDrawing() {
  if (finished) return;
  FinishPolygon(points.first() + DIFF_POINT);
}

bool DrawingToolPolygon::mousePressEvent(QMouseEvent* event) {
  const QPointF p = view.mapToScene(event->position().toPoint());
  if (!finished && CanBeCompleted(p)) {
    // The closing click adds no vertex: the outline ends on its first point.
    FinishPolygon(points.first());
    return true;
  }
  const VSize x = ToDrawerCoordinate(p.x());
  const VSize y = ToDrawerCoordinate(p.y());
  if (finished) {
    drawer.PaintStart(x, y);
  } else {
    drawer.Paint(x, y);
  }
  finished = false;
  // Moves without a button must reach the tool for the rubber segment.
  view.viewport()->setAttribute(Qt::WA_MouseTracking, true);
  points.append(p);
  view.viewport()->update();
  return true;
}

bool DrawingToolPolygon::mouseMoveEvent(QMouseEvent*) {
  view.viewport()->update();
  return true;
}

bool DrawingToolPolygon::mouseDoubleClickEvent(QMouseEvent* event) {
  // The first click of the double-click may already have closed the polygon.
  if (finished) return true;
  const QPointF p = view.mapToScene(event->position().toPoint());
  drawer.Paint(ToDrawerCoordinate(p.x()), ToDrawerCoordinate(p.y()));
  FinishPolygon(points.first());
  return true;
}

void DrawingToolPolygon::FinishPolygon(const QPointF& point) {
  const QPointF stop = point;  // may refer into the points cleared below
  // The outline is over even when the engine refuses it.
  finished = true;
  view.viewport()->setAttribute(Qt::WA_MouseTracking, false);
  points.clear();
  view.viewport()->update();
  drawer.PaintStop(ToDrawerCoordinate(stop.x()), ToDrawerCoordinate(stop.y()));
}

void DrawingToolPolygon::paintEvent(QPaintEvent*, QPaintDevice* device) {
  if (points.isEmpty()) return;
  const QPoint cursor = view.viewport()->mapFromGlobal(QCursor::pos());
  QPainter painter(device);
  painter.setPen(OutlinePen(Qt::green));
  const QPoint first = view.mapFromScene(points.first());
  if (points.size() > 2 && CanBeCompleted(view.mapToScene(cursor))) {
    painter.drawEllipse(QRect(first.x() - CLOSING_DISTANCE, first.y() - CLOSING_DISTANCE, 2 * CLOSING_DISTANCE,
                              2 * CLOSING_DISTANCE));
  }
  QPolygon outline;
  outline.reserve(points.size() + 1);
  for (const QPointF& point : points) outline.append(view.mapFromScene(point));
  outline.append(cursor);
  painter.drawPolyline(outline);
}

void DrawingToolPolygon::updateCursor(int, int) {
  if (view.dragMode() != QGraphicsView::NoDrag) return;
  view.viewport()->setCursor(QCursor(QPixmap(QStringLiteral(":/Glimra/cursors/polygon.png")), 1, 1));
}

}  // namespace Glimra
}  // namespace Zentor
