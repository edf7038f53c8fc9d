// The clone stamp: Alt (on Linux also Ctrl) and a left click pick the source point, the next
// click sends the offset from the source to the engine, and from then on the scene paints the
// strokes. The tool shows guides while the source is being chosen and a marker of the source
// during a stroke.
#pragma once

#include "DrawingTools/IDrawingTool.h"
#include "DrawingTools/IToolTipProvider.h"

#include <QPixmap>
#include <QPoint>
#include <QPointF>

#include <boost/shared_ptr.hpp>

#include <memory>

class QGraphicsView;
class QLabel;

namespace Zentor {
namespace Glimra {

class IGlimraDrawer;

// GUI thread only.
class DrawingToolClone : public IDrawingTool, public virtual IToolTipProvider {
  Q_OBJECT

 public:
  DrawingToolClone(QGraphicsView& view, IGlimraDrawer& drawer);
  ~DrawingToolClone() override;

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  // Back to no source; the offset is sent again only by a new source choice.
  void cancelDrawing() override;
  bool keyPressEvent(QKeyEvent*) override { return false; }
  bool mousePressEvent(QMouseEvent* event) override;
  bool mouseMoveEvent(QMouseEvent* event) override;
  bool mouseReleaseEvent(QMouseEvent* event) override;
  bool mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event, QPaintDevice* device) override;
  // A size of 0 redraws with the stored size and blur.
  void updateCursor(int size, int blur) override;

  QString GetDescription() const override;
  std::string GetSettingsName() const override;

  // Sends the offset, stroke position minus source position in scene pixels, to the engine.
  void ConfigureClone(int dx, int dy);
  // Places the source marker for a stroke at the scene point.
  void PositionSourceLabel(const QPointF& scenePos);

 private:
  void SetTracking(bool on);
  void HideMarker();
  void DrawGuides(QPaintDevice* device);

  QGraphicsView& view;
  IGlimraDrawer& drawer;
  bool configured = false;
  // The last press was the tool's own (a source choice or the alert), so its release is too.
  bool pressTaken = false;
  int cursorSize = 0;
  int cursorBlur = 0;
  std::unique_ptr<QPointF> sourcePoint;
  std::unique_ptr<QLabel> sourceLabel;
  QPoint offset;
  QPoint labelHotSpot;
  // Without a compositor a floating translucent window shows black, so the marker is drawn over
  // the view instead, at this viewport position while it is shown.
  bool markerInView = false;
  bool markerShown = false;
  QPoint markerAt;
  QPixmap markerPixmap;
};

}  // namespace Glimra
}  // namespace Zentor
