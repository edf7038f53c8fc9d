#include "DrawingTools/DrawingToolClone.h"

#include "DrawingTools/OutlinePen.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/AppShell/AlertBox.h"
#include "Platform/Formats/IFormatCodec.h"
#include "UI/TranslucentWindows.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <glog/logging.h>

#include <cmath>

namespace Zentor {
namespace Glimra {

namespace {

// Alt and a click pick the source. Linux window managers commonly take Alt and a drag to move
// windows, so the program never sees that click there: Ctrl does it too, as in Linux image
// editors, and the texts name Ctrl, the key that always works.
#ifdef Q_OS_LINUX
constexpr Qt::KeyboardModifiers SOURCE_KEYS = Qt::AltModifier | Qt::ControlModifier;
constexpr Qt::Modifier NAMED_SOURCE_KEY = Qt::CTRL;
#else
constexpr Qt::KeyboardModifiers SOURCE_KEYS = Qt::AltModifier;
constexpr Qt::Modifier NAMED_SOURCE_KEY = Qt::ALT;
#endif

bool ChoosesSource(const QMouseEvent& event) { return (event.modifiers() & SOURCE_KEYS) != Qt::NoModifier; }

// The name printed on the key ("Ctrl", where the key's own name reads "Control"), without the
// "+" a sequence of the modifier alone ends with.
QString SourceKeyName() {
  QString name = QKeySequence(NAMED_SOURCE_KEY).toString(QKeySequence::NativeText);
  if (name.endsWith(QLatin1Char('+'))) name.chop(1);
  return name;
}

// A floating window can be placed at a global position and shown translucent only with a
// compositor, and never on Wayland, where a client cannot place its windows.
bool FloatingMarkerPossible() {
  return TranslucentWindowsAvailable() && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

DrawingToolClone::DrawingToolClone(QGraphicsView& view, IGlimraDrawer& drawer)
    : view(view),
      drawer(drawer),
      markerInView(!FloatingMarkerPossible()),
      markerPixmap(QStringLiteral(":/Glimra/cursors/clone.png")) {
  labelHotSpot = QPoint(int(std::lround(markerPixmap.width() / 2.0)), int(std::lround(markerPixmap.height() / 2.0)));
  if (markerInView) return;
  sourceLabel = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
  sourceLabel->setPixmap(markerPixmap);
  sourceLabel->setAttribute(Qt::WA_TranslucentBackground);
}

// Out of line: the header only declares QLabel.
DrawingToolClone::~DrawingToolClone() = default;

boost::shared_ptr<IDrawingTool> DrawingToolClone::Create(QGraphicsView& view, IGlimraDrawer& drawer) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolClone(view, drawer));
}

void DrawingToolClone::SetTracking(bool on) { view.viewport()->setAttribute(Qt::WA_MouseTracking, on); }

void DrawingToolClone::cancelDrawing() {
  sourcePoint.reset();
  SetTracking(false);
  view.viewport()->update();
  configured = false;
}

bool DrawingToolClone::mousePressEvent(QMouseEvent* event) {
  const QPointF p = view.mapToScene(event->position().toPoint());
  if (ChoosesSource(*event) && !sourcePoint) {
    configured = false;
    pressTaken = true;
    sourcePoint = std::make_unique<QPointF>(p);
    SetTracking(true);
    view.viewport()->update();
    return true;
  }
  if (sourcePoint) ConfigureClone(int(p.x() - sourcePoint->x()), int(p.y() - sourcePoint->y()));
  if (configured) {
    pressTaken = false;
    PositionSourceLabel(p);
    return false;
  }
  pressTaken = true;
  const QString text =
      QCoreApplication::translate("DrawingToolClone",
                                  "<b>Please define a source point for cloning!</b><br>Hold down the %1 key and "
                                  "left-click on the area you want to clone. Then, release the %1 key and paint over "
                                  "the area you want to erase.")
          .arg(SourceKeyName(), 0, QLatin1Char(' '));
  App::AlertBox alert(App::AlertBox::LEVEL_ALERT, QString(), text, QMessageBox::Ok, &view,
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  alert.setIconPixmap(QPixmap(QStringLiteral(":/Glimra/images/screamer_icon.png")));
  // The alert's event loop may cancel or replace this tool: nothing of it is touched afterwards.
  alert.exec();
  return true;
}

bool DrawingToolClone::mouseMoveEvent(QMouseEvent* event) {
  if (!configured) {
    view.viewport()->update();
    return true;
  }
  PositionSourceLabel(view.mapToScene(event->position().toPoint()));
  return false;
}

// Until an offset is set, a double-click is the tool's like the press before it, and so is its
// release: the scene must not end a stroke it never began.
bool DrawingToolClone::mouseDoubleClickEvent(QMouseEvent*) {
  if (configured) return false;
  pressTaken = true;
  return true;
}

bool DrawingToolClone::mouseReleaseEvent(QMouseEvent*) {
  HideMarker();
  // The scene saw no press for this release and must not end a stroke it never began.
  const bool taken = pressTaken;
  pressTaken = false;
  return taken;
}

void DrawingToolClone::ConfigureClone(int dx, int dy) {
  Core::Property settings(IGlimraDrawer::CLASS_ID);
  settings.SetChildT(IGlimraDrawer::TAG_PAINT_TYPE, IGlimraDrawer::PAINT_CLONE);
  settings.SetChildT(IGlimraDrawer::OFFSET_X, static_cast<long long>(dx));
  settings.SetChildT(IGlimraDrawer::OFFSET_Y, static_cast<long long>(dy));
  drawer.PaintInit(settings);

  offset = QPoint(dx, dy);
  sourcePoint.reset();
  SetTracking(false);
  view.viewport()->update();
  configured = true;
}

void DrawingToolClone::PositionSourceLabel(const QPointF& scenePos) {
  const QPoint v = view.mapFromScene(scenePos - QPointF(offset));
  const bool visible = QRect(0, 0, view.viewport()->width(), view.viewport()->height()).contains(v);
  if (markerInView) {
    markerShown = visible;
    markerAt = v;
    view.viewport()->update();
    return;
  }
  sourceLabel->move(view.viewport()->mapToGlobal(v - labelHotSpot));
  sourceLabel->setVisible(visible);
}

void DrawingToolClone::HideMarker() {
  if (sourceLabel) sourceLabel->hide();
  if (markerShown) {
    markerShown = false;
    view.viewport()->update();
  }
}

void DrawingToolClone::paintEvent(QPaintEvent*, QPaintDevice* device) {
  if (markerShown) {
    QPainter painter(device);
    painter.drawPixmap(markerAt - labelHotSpot, markerPixmap);
  }
  if (!configured && sourcePoint) DrawGuides(device);
}

void DrawingToolClone::DrawGuides(QPaintDevice* device) {
  const Core::Property& brush = drawer.GetBrushSettings();
  if (!brush.ChildExists(Conf::IFormatCodecVideo::TAG_WIDTH)) {
    LOG(ERROR) << "Brush is not configured!";
    return;
  }
  const long long width = Core::GetValue<long long>(brush[Conf::IFormatCodecVideo::TAG_WIDTH]);
  const int r = int(double(width / 2) * view.transform().m11());
  const QPoint v = view.mapFromScene(*sourcePoint);
  const QPoint c = view.viewport()->mapFromGlobal(QCursor::pos());

  QPainter painter(device);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(OutlinePen(Qt::red));
  painter.drawEllipse(QRect(v.x() - r, v.y() - r, 2 * r, 2 * r));
  QLinearGradient gradient(v, c);
  gradient.setColorAt(0.0, Qt::red);
  gradient.setColorAt(1.0, Qt::green);
  painter.setPen(OutlinePen(gradient));
  painter.drawLine(v, c);
  painter.setPen(OutlinePen(Qt::green));
  painter.drawEllipse(QRect(c.x() - r, c.y() - r, 2 * r, 2 * r));
}

void DrawingToolClone::updateCursor(int size, int blur) {
  if (size != 0) {
    cursorSize = size;
    cursorBlur = blur;
  }
  const int s = cursorSize;
  // Before any size was set there is nothing to draw.
  if (s <= 0 || view.dragMode() != QGraphicsView::NoDrag) return;
  QPixmap pixmap(s, s);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setBrush(Qt::NoBrush);
    const int c = (s - 1) / 2;
    if (cursorBlur > 0) {
      // The hard core of the soft brush.
      const int q = int((1.0 - cursorBlur / 100.0) * c);
      painter.setPen(Qt::black);
      painter.drawEllipse(c - q, c - q, 2 * q, 2 * q);
    }
    painter.setPen(Qt::white);
    painter.drawEllipse(1, 1, s - 3, s - 3);
    painter.setPen(Qt::black);
    painter.drawEllipse(0, 0, s - 1, s - 1);
    painter.drawLine(c - 4, c, c + 4, c);
    painter.drawLine(c, c - 4, c, c + 4);
  }
  view.viewport()->setCursor(QCursor(pixmap, s / 2, s / 2));
}

QString DrawingToolClone::GetDescription() const {
  return QCoreApplication::translate("DrawingToolClone",
                                     "Hold down the %1 key and left-click on the area you want to clone. Then, "
                                     "release the %1 key and paint over the area you want to erase.")
      .arg(SourceKeyName());
}

std::string DrawingToolClone::GetSettingsName() const { return "DrawingToolCloneToolTip"; }

}  // namespace Glimra
}  // namespace Zentor
