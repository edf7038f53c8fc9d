#include "DrawingTools/DrawingToolCrop.h"

#include "DrawingTools/OutlinePen.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IEffectCrop.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Zentor {
namespace Glimra {

namespace {

// Distance in view pixels within which a corner or an edge is grabbed.
constexpr int GRAB_DISTANCE = 5;
// Frames narrower or lower than this show only the corner handles.
constexpr int EDGE_HANDLES_FROM = 24;

QCursor ResourceCursor(const char* path, int x, int y) { return QCursor(QPixmap(QString::fromLatin1(path)), x, y); }

bool Between(int value, int a, int b) { return value >= std::min(a, b) && value <= std::max(a, b); }

}  // namespace

const QPoint DrawingToolCrop::OUTSIDE_OF_AREA(-1, -1);
const QPoint DrawingToolCrop::OFFSET_SQUARE(3, 3);

DrawingToolCrop::DrawingToolCrop(QGraphicsView& view, IGlimraDrawer& drawer) : view(view), drawer(drawer) {
  view.viewport()->update();
  updateCursor(0, 0);
  // The cursor follows the hover position.
  view.viewport()->setAttribute(Qt::WA_MouseTracking, true);
}

DrawingToolCrop::~DrawingToolCrop() {
  if (!applied) emit effectCanceled(Proc::IEffectCrop::CLASS_ID);
  // Hover moves must not reach the scene once the crop tool is gone: each would paint.
  view.viewport()->setAttribute(Qt::WA_MouseTracking, false);
  view.viewport()->update();
}

boost::shared_ptr<IDrawingTool> DrawingToolCrop::Create(QGraphicsView& view, IGlimraDrawer& drawer) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolCrop(view, drawer));
}

void DrawingToolCrop::SetState(State newState) {
  state = newState;
  view.viewport()->update();
  updateCursor(0, 0);
}

void DrawingToolCrop::cancelDrawing() { SetState(NONE); }

bool DrawingToolCrop::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
  DoCrop();
  return true;
}

QPointF DrawingToolCrop::ScenePosition(const QMouseEvent* event) const {
  return view.mapToScene(event->position().toPoint());
}

QRect DrawingToolCrop::ViewRect() const {
  return view.mapFromScene(QRectF(startPoint, endPoint).normalized()).boundingRect();
}

void DrawingToolCrop::Normalise() {
  const QRectF rect = QRectF(startPoint, endPoint).normalized();
  startPoint = rect.topLeft();
  endPoint = rect.bottomRight();
}

QPoint DrawingToolCrop::CornerPointForPlace(AreaPlace place) const {
  const QRect rect = ViewRect();
  switch (place) {
    case TOP_LEFT:
    case LEFT:
      return rect.topLeft();
    case TOP:
    case TOP_RIGHT:
      return rect.topRight();
    case RIGHT:
    case BOTTOM_RIGHT:
      return rect.bottomRight();
    case BOTTOM:
    case BOTTOM_LEFT:
      return rect.bottomLeft();
    default:
      return OUTSIDE_OF_AREA;
  }
}

DrawingToolCrop::AreaPlace DrawingToolCrop::AreaForMousePosition(const QPoint& pos) const {
  for (AreaPlace corner : {TOP_LEFT, TOP_RIGHT, BOTTOM_RIGHT, BOTTOM_LEFT}) {
    if ((CornerPointForPlace(corner) - pos).manhattanLength() < GRAB_DISTANCE) return corner;
  }
  const QRect rect = ViewRect();
  if (std::abs(pos.y() - rect.top()) < GRAB_DISTANCE && Between(pos.x(), rect.left(), rect.right())) return TOP;
  if (std::abs(pos.x() - rect.right()) < GRAB_DISTANCE && Between(pos.y(), rect.top(), rect.bottom())) return RIGHT;
  if (std::abs(pos.y() - rect.bottom()) < GRAB_DISTANCE && Between(pos.x(), rect.left(), rect.right())) return BOTTOM;
  if (std::abs(pos.x() - rect.left()) < GRAB_DISTANCE && Between(pos.y(), rect.top(), rect.bottom())) return LEFT;
  return rect.contains(pos) ? INSIDE : OUTSIDE;
}

bool DrawingToolCrop::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return true;
  const QPointF p = ScenePosition(event);
  if (state == NONE) {
    startPoint = endPoint = p;
    SetState(DRAWING);
  } else if (state == DRAWN) {
    const AreaPlace place = AreaForMousePosition(event->position().toPoint());
    if (place == OUTSIDE) {
      cancelDrawing();
    } else if (place == INSIDE) {
      lastPoint = p;
      SetState(MOVING);
    } else {
      lastPoint = p;
      grabbedPlace = place;
      SetState(RESIZING);
    }
  }
  return true;
}

bool DrawingToolCrop::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = ScenePosition(event);
  const QPointF d = p - lastPoint;
  if (state == DRAWING) {
    endPoint = p;
  } else if (state == MOVING) {
    startPoint += d;
    endPoint += d;
    lastPoint = p;
  } else if (state == RESIZING) {
    lastPoint = p;
    double x = startPoint.x(), y = startPoint.y();
    double width = endPoint.x() - x, height = endPoint.y() - y;
    const double dx = d.x(), dy = d.y();
    switch (grabbedPlace) {
      case TOP_LEFT: x += dx; y += dy; width -= dx; height -= dy; break;
      case TOP: y += dy; height -= dy; break;
      case TOP_RIGHT: y += dy; width += dx; height -= dy; break;
      case RIGHT: width += dx; break;
      case BOTTOM_RIGHT: width += dx; height += dy; break;
      case BOTTOM: height += dy; break;
      case BOTTOM_LEFT: x += dx; width -= dx; height += dy; break;
      case LEFT: x += dx; width -= dx; break;
      default: break;
    }
    // Past its opposite side the rectangle stays flipped until the release normalises it.
    startPoint = QPointF(x, y);
    endPoint = QPointF(x + width, y + height);
  }
  if (state == DRAWING || state == MOVING || state == RESIZING) view.viewport()->update();
  updateCursor(0, 0);
  return true;
}

bool DrawingToolCrop::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return true;
  if (state == DRAWING || state == RESIZING || state == MOVING) SetState(DRAWN);
  Normalise();
  return true;
}

bool DrawingToolCrop::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && AreaForMousePosition(event->position().toPoint()) == INSIDE) DoCrop();
  return true;
}

void DrawingToolCrop::DoCrop() {
  if (state == NONE) return;
  applied = true;
  Normalise();
  const QRectF rect(startPoint, endPoint);
  const long long x = std::llround(rect.x());
  const long long y = std::llround(rect.y());
  const long long width = std::max(1LL, std::llround(rect.width()));
  const long long height = std::max(1LL, std::llround(rect.height()));

  Core::Property settings(Proc::IEffectCrop::CLASS_ID);
  settings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IEffectCrop::CLASS_ID));
  settings.SetChildT(Proc::IEffectCrop::OFFSET_X, x);
  settings.SetChildT(Proc::IEffectCrop::OFFSET_Y, y);
  settings.SetChildT(Proc::IEffectCrop::WIDTH, width);
  settings.SetChildT(Proc::IEffectCrop::HEIGHT, height);
  // The engine checks the rectangle against the picture and reports a refusal through its events.
  drawer.ApplyEffect(settings, false);
  emit finishDrawing();
}

void DrawingToolCrop::paintEvent(QPaintEvent*, QPaintDevice* device) {
  if (state == NONE) return;
  const QRect rect = ViewRect();
  const QRect whole = view.viewport()->rect();
  QPainter painter(device);
  if (state == DRAWN || state == RESIZING || state == MOVING) {
    painter.setClipRegion(QRegion(whole).subtracted(QRegion(rect)));
    painter.fillRect(whole, QColor(0, 0, 0, 100));
    painter.setClipping(false);
  }
  painter.setPen(OutlinePen(Qt::white));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect);
  if (state != DRAWN && state != RESIZING) return;

  const bool edgeHandles = rect.width() >= EDGE_HANDLES_FROM && rect.height() >= EDGE_HANDLES_FROM;
  for (int place = TOP_LEFT; place <= LEFT; ++place) {
    const bool corner = place % 2 == 0;
    if (!corner && !edgeHandles) continue;
    // An edge's midpoint lies halfway between its two end corners.
    const QPoint at = corner ? CornerPointForPlace(AreaPlace(place))
                             : (CornerPointForPlace(AreaPlace(place - 1)) + CornerPointForPlace(AreaPlace(place))) / 2;
    painter.drawRect(QRect(at - OFFSET_SQUARE, at + OFFSET_SQUARE));
  }
}

void DrawingToolCrop::updateCursor(int, int) {
  if (view.dragMode() != QGraphicsView::NoDrag) return;
  SetCursorForMousePosition(view.viewport()->mapFromGlobal(QCursor::pos()));
}

void DrawingToolCrop::SetCursorForMousePosition(const QPoint& pos) {
  QWidget* viewport = view.viewport();
  if (state == MOVING) {
    viewport->setCursor(ResourceCursor(":/Glimra/cursors/crop/move.png", 16, 16));
    return;
  }
  if (state != DRAWN) {
    viewport->setCursor(ResourceCursor(":/Glimra/cursors/crop.png", 6, 6));
    return;
  }
  switch (AreaForMousePosition(pos)) {
    case OUTSIDE: viewport->setCursor(ResourceCursor(":/Glimra/cursors/crop/drop.png", 16, 16)); break;
    case INSIDE: viewport->setCursor(ResourceCursor(":/Glimra/cursors/crop/move.png", 16, 16)); break;
    case TOP_LEFT:
    case BOTTOM_RIGHT: viewport->setCursor(Qt::SizeFDiagCursor); break;
    case TOP_RIGHT:
    case BOTTOM_LEFT: viewport->setCursor(Qt::SizeBDiagCursor); break;
    case TOP:
    case BOTTOM: viewport->setCursor(Qt::SizeVerCursor); break;
    case RIGHT:
    case LEFT: viewport->setCursor(Qt::SizeHorCursor); break;
  }
}

QString DrawingToolCrop::GetDescription() const {
  return QCoreApplication::translate("DrawingToolCrop", "Draw the crop area then double-click inside to apply crop.");
}

std::string DrawingToolCrop::GetSettingsName() const { return "DrawingToolCropToolTip"; }

}  // namespace Glimra
}  // namespace Zentor
