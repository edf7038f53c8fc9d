#include "Workspace/WorkspaceView.h"

#include "Engine/ErrorPath.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>

namespace Zentor {
namespace Glimra {

namespace {

bool HasRange(const QScrollBar* bar) { return bar->maximum() > bar->minimum(); }

// The same press as the left button, which is what starts Qt's hand drag. Events cannot be
// copied, so a new one is built.
std::unique_ptr<QMouseEvent> AsLeftButton(const QMouseEvent& event, Qt::MouseButtons held) {
  auto left = std::make_unique<QMouseEvent>(event.type(), event.position(), event.scenePosition(),
                                            event.globalPosition(), Qt::LeftButton, held, event.modifiers(),
                                            event.pointingDevice());
  left->setTimestamp(event.timestamp());
  return left;
}

}  // namespace

WorkspaceView::WorkspaceView(QWidget* parent) : QGraphicsView(parent), toolTipManager(this) {
  qRegisterMetaType<IScalableView::ScalePolicyFlags>("Zentor::Glimra::IScalableView::ScalePolicyFlags");
  QShortcut* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &WorkspaceView::ResetCurrentSelection);
  // Scroll bars coming or going after a zoom keep the middle too.
  setResizeAnchor(QGraphicsView::AnchorViewCenter);
}

void WorkspaceView::SetUniversalDrawingTool(boost::shared_ptr<IDrawingTool> tool) {
  drawingTool = std::move(tool);
  activateWindow();
}

void WorkspaceView::SetDragMode(QGraphicsView::DragMode mode) {
  setDragMode(mode);
  if (mode != QGraphicsView::NoDrag || !drawingTool) return;
  try {
    drawingTool->updateCursor(0, 0);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::EnableToolTip(bool enable) {
  if (enable) {
    connect(this, &WorkspaceView::enableDragMode, this, &WorkspaceView::ShowDragToolTip, Qt::UniqueConnection);
  } else {
    disconnect(this, &WorkspaceView::enableDragMode, this, &WorkspaceView::ShowDragToolTip);
  }
}

IToolTip& WorkspaceView::GetToolTipEngine() { return toolTipManager; }

void WorkspaceView::ResetCurrentSelection() {
  if (!drawingTool) return;
  try {
    drawingTool->cancelDrawing();
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::ShowDragToolTip(bool show) {
  if (show) toolTipManager.showToolTip(this);
}

QString WorkspaceView::GetDescription() const {
  return QCoreApplication::translate(
      "WorkspaceView",
      "Click and drag while holding the space bar or right-click and drag to move the zoomed image around.");
}

std::string WorkspaceView::GetSettingsName() const { return "WorkspaceViewDragToolTip"; }

// Zoom

double WorkspaceView::GetCurrentScalePercent() const { return transform().m11() * 100.0; }

IScalableView::ScalePolicyFlags WorkspaceView::CanScale() const {
  if (!scene()) {
    emit const_cast<WorkspaceView*>(this)->scaleEnabled(ScalePolicyFlags());
    return ScalePolicyFlags();
  }
  const double current = GetCurrentScalePercent();
  ScalePolicyFlags flags;
  if (current > lowerLimit) flags |= SCALE_DOWN;
  if (upperLimit > current) flags |= SCALE_UP;
  return flags;
}

double WorkspaceView::ClampToLimits(double percent) const {
  return std::max(std::min(percent, upperLimit), lowerLimit);
}

void WorkspaceView::ScaleToPercent(double percent) {
  if (ApplyScale(percent, true)) fitCeiling.reset();
}

bool WorkspaceView::ApplyScale(double percent, bool takeFocus) {
  if (!std::isfinite(percent)) return false;
  const ScalePolicyFlags flags = CanScale();
  if (!flags) return false;
  if (percent < lowerLimit && !flags.testFlag(SCALE_DOWN)) return false;
  if (percent > upperLimit && !flags.testFlag(SCALE_UP)) return false;

  // Set, not multiplied: repeated steps never drift off the limits.
  // The picture's point in the middle stays there; the view's own anchor may hold a point from
  // before the last fit.
  const QPointF middle = viewportTransform().inverted().map(QRectF(viewport()->rect()).center());
  const double factor = ClampToLimits(percent) / 100.0;
  setTransform(QTransform::fromScale(factor, factor));
  centerOn(middle);
  emit scaleChanged(GetCurrentScalePercent());
  emit scaleEnabled(CanScale());
  if (scene()) UpdateDragEnabled();
  // Not when the window's layout refits the picture: the user may be typing elsewhere.
  if (takeFocus) setFocus(Qt::OtherFocusReason);
  return true;
}

void WorkspaceView::ScaleToFit() { ScaleToFit(std::numeric_limits<double>::infinity()); }

void WorkspaceView::ScaleToFit(double ceiling) {
  if (!scene()) return;
  Fit(ceiling, true);
  fitCeiling = ceiling;
}

bool WorkspaceView::Fit(double ceiling, bool takeFocus) {
  const QRectF area = sceneRect();
  if (area.width() <= 0.0 || area.height() <= 0.0) return false;
  // Measured without scroll bars: a fitted picture needs none. Switching them resizes the
  // viewport, which must not fit again meanwhile.
  const QScopedValueRollback<bool> guard(fitting, true);
  const Qt::ScrollBarPolicy horizontal = horizontalScrollBarPolicy();
  const Qt::ScrollBarPolicy vertical = verticalScrollBarPolicy();
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const double percent = std::min(viewport()->width() / area.width(), viewport()->height() / area.height()) * 100.0;
  const bool scaled = ApplyScale(std::min(percent, ceiling), takeFocus);
  setHorizontalScrollBarPolicy(horizontal);
  setVerticalScrollBarPolicy(vertical);
  return scaled;
}

bool WorkspaceView::SetRestrictionForScale(ScalePolicy policy, double value) {
  switch (policy) {
    case SCALE_UP:
      if (value < lowerLimit) return false;
      upperLimit = value;
      return true;
    case SCALE_DOWN:
      if (value > upperLimit) return false;
      lowerLimit = value;
      return true;
  }
  return false;
}

double WorkspaceView::GetRestrictionForScale(ScalePolicy policy) const {
  switch (policy) {
    case SCALE_UP:
      return upperLimit;
    case SCALE_DOWN:
      return lowerLimit;
  }
  return -1.0;
}

void WorkspaceView::SetScaleStep(double step) { scaleStep = step; }

double WorkspaceView::GetScaleStep() const { return scaleStep; }

// The scroll bars' ranges are set at once, while their visibility follows only once the event
// loop runs; a range means the bar is (or is about to be) shown.
void WorkspaceView::UpdateDragEnabled() {
  const bool enabled = HasRange(horizontalScrollBar()) || HasRange(verticalScrollBar());
  if (enabled == dragEnabled) return;
  dragEnabled = enabled;
  emit enableDragMode(dragEnabled);
}

// Input

void WorkspaceView::keyPressEvent(QKeyEvent* event) {
  try {
    if (dragMode() == QGraphicsView::NoDrag) {
      if (drawingTool && drawingTool->keyPressEvent(event)) return;
      if (dragEnabled && event->key() == Qt::Key_Space && !event->isAutoRepeat()) emit activateDragMode(true);
    }
    QGraphicsView::keyPressEvent(event);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::keyReleaseEvent(QKeyEvent* event) {
  try {
    if (dragEnabled && !event->isAutoRepeat() && dragMode() != QGraphicsView::NoDrag &&
        event->key() == Qt::Key_Space) {
      emit activateDragMode(false);
    }
    QGraphicsView::keyReleaseEvent(event);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

bool WorkspaceView::ToolTakes(bool (IDrawingTool::*handler)(QMouseEvent*), QMouseEvent* event) {
  if (dragMode() != QGraphicsView::NoDrag || !drawingTool) return false;
  return ((*drawingTool).*handler)(event);
}

void WorkspaceView::mousePressEvent(QMouseEvent* event) {
  try {
    if (dragMode() == QGraphicsView::NoDrag && event->button() == Qt::RightButton && dragEnabled) {
      // The answer to activateDragMode switches the hand tool on; Qt starts its drag on the left button.
      emit activateDragMode(true);
      rightButtonDrag = true;
      QGraphicsView::mousePressEvent(AsLeftButton(*event, event->buttons() | Qt::LeftButton).get());
      return;
    }
    if (ToolTakes(&IDrawingTool::mousePressEvent, event)) return;
    QGraphicsView::mousePressEvent(event);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::mouseMoveEvent(QMouseEvent* event) {
  try {
    if (ToolTakes(&IDrawingTool::mouseMoveEvent, event)) return;
    QGraphicsView::mouseMoveEvent(event);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::mouseReleaseEvent(QMouseEvent* event) {
  try {
    if (rightButtonDrag) {
      // Leaving the hand tool ends Qt's drag as well.
      emit activateDragMode(false);
      rightButtonDrag = false;
      return;
    }
    if (ToolTakes(&IDrawingTool::mouseReleaseEvent, event)) return;
    QGraphicsView::mouseReleaseEvent(event);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::mouseDoubleClickEvent(QMouseEvent* event) {
  try {
    if (ToolTakes(&IDrawingTool::mouseDoubleClickEvent, event)) return;
    QGraphicsView::mouseDoubleClickEvent(event);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::paintEvent(QPaintEvent* event) {
  QGraphicsView::paintEvent(event);
  if (!drawingTool) return;
  try {
    drawingTool->paintEvent(event, viewport());
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::wheelEvent(QWheelEvent* event) {
  const QPoint angle = event->angleDelta();
  // A sideways wheel or swipe scrolls as the horizontal scroll bar would; the vertical wheel
  // only zooms, never scrolls.
  if (std::abs(angle.x()) > std::abs(angle.y())) {
    QAbstractScrollArea::wheelEvent(event);
    event->accept();
    return;
  }
  event->accept();
  const int delta = angle.y();
  // A touchpad opens and closes each gesture with events that carry no movement.
  if (delta == 0 && event->phase() != Qt::NoScrollPhase) return;
  try {
    ScaleToPercent(GetCurrentScalePercent() + (delta > 0 ? scaleStep : -scaleStep));
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void WorkspaceView::resizeEvent(QResizeEvent* event) {
  QGraphicsView::resizeEvent(event);
  if (fitCeiling && !fitting && scene()) {
    try {
      Fit(*fitCeiling, false);
    } catch (...) {
      ErrorPath::ReportCurrent();
    }
  }
  if (scene()) UpdateDragEnabled();
  if (toolTipManager.isToolTipVisible()) toolTipManager.changePosition();
}

void WorkspaceView::scrollContentsBy(int dx, int dy) {
  QGraphicsView::scrollContentsBy(dx, dy);
  // The tool's outlines are drawn in view pixels and move with the picture.
  viewport()->update();
}

void WorkspaceView::leaveEvent(QEvent* event) {
  toolTipManager.hideToolTip();
  QGraphicsView::leaveEvent(event);
}

}  // namespace Glimra
}  // namespace Zentor
