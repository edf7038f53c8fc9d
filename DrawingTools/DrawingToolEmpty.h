// The tool that takes part in nothing: every event goes on to the view and the scene.
#pragma once

#include "DrawingTools/IDrawingTool.h"

#include <boost/shared_ptr.hpp>

class QGraphicsView;

namespace Zentor {
namespace Glimra {

class IGlimraDrawer;

class DrawingToolEmpty : public IDrawingTool {
  Q_OBJECT

 public:
  explicit DrawingToolEmpty(QGraphicsView& view);

  static boost::shared_ptr<IDrawingTool> Create(QGraphicsView& view, IGlimraDrawer& drawer);

  void cancelDrawing() override {}
  bool keyPressEvent(QKeyEvent*) override { return false; }
  bool mousePressEvent(QMouseEvent*) override { return false; }
  bool mouseMoveEvent(QMouseEvent*) override { return false; }
  bool mouseReleaseEvent(QMouseEvent*) override { return false; }
  bool mouseDoubleClickEvent(QMouseEvent*) override { return false; }
  void paintEvent(QPaintEvent*, QPaintDevice*) override {}
  void updateCursor(int, int) override {}

 protected:
  // A tool's cursor gives way to the hand of a drag mode.
  bool MayChangeCursor() const;

  QGraphicsView& view;
};

}  // namespace Glimra
}  // namespace Zentor
