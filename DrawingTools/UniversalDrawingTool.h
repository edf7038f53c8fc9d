// The one tool the view talks to: every call goes to the tool of the current paint mode.
#pragma once

#include "DrawingTools/DrawingToolsFactory.h"
#include "DrawingTools/IDrawingTool.h"

namespace Zentor {
namespace Glimra {

// GUI thread only. The calls let the factory's failure for a mode without a tool out; the view
// catches them.
class UniversalDrawingTool : public IDrawingTool {
  Q_OBJECT

 public:
  // Makes the current mode's tool at once, so the tool and its hint exist from the start.
  UniversalDrawingTool(QGraphicsView& view, PaintTools& paintTools, IToolTip& toolTip);

  boost::shared_ptr<IDrawingTool> GetCurrentDrawingTool() const;

  bool keyPressEvent(QKeyEvent* event) override;
  bool mousePressEvent(QMouseEvent* event) override;
  bool mouseMoveEvent(QMouseEvent* event) override;
  bool mouseReleaseEvent(QMouseEvent* event) override;
  bool mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event, QPaintDevice* device) override;
  void updateCursor(int size, int blur) override;

 public slots:
  void cancelDrawing() override;

 private:
  // The factory is only asked for the tool here; held for the length of one call.
  boost::shared_ptr<IDrawingTool> Current() const;

  // Asking for the tool may make it: a const caller still gets the current mode's tool.
  mutable DrawingToolsFactory factory;
};

}  // namespace Glimra
}  // namespace Zentor
