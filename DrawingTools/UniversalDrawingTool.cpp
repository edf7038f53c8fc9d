#include "DrawingTools/UniversalDrawingTool.h"

namespace Zentor {
namespace Glimra {

UniversalDrawingTool::UniversalDrawingTool(QGraphicsView& view, PaintTools& paintTools, IToolTip& toolTip)
    : factory(view, paintTools, toolTip) {
  factory.GetDrawingToolForCurrentPaintMode();
}

boost::shared_ptr<IDrawingTool> UniversalDrawingTool::Current() const {
  return factory.GetDrawingToolForCurrentPaintMode().lock();
}

boost::shared_ptr<IDrawingTool> UniversalDrawingTool::GetCurrentDrawingTool() const {
  return Current();
}

void UniversalDrawingTool::cancelDrawing() {
  if (auto tool = Current()) tool->cancelDrawing();
}

bool UniversalDrawingTool::keyPressEvent(QKeyEvent* event) {
  auto tool = Current();
  return tool && tool->keyPressEvent(event);
}

bool UniversalDrawingTool::mousePressEvent(QMouseEvent* event) {
  auto tool = Current();
  return tool && tool->mousePressEvent(event);
}

bool UniversalDrawingTool::mouseMoveEvent(QMouseEvent* event) {
  auto tool = Current();
  return tool && tool->mouseMoveEvent(event);
}

bool UniversalDrawingTool::mouseReleaseEvent(QMouseEvent* event) {
  auto tool = Current();
  return tool && tool->mouseReleaseEvent(event);
}

bool UniversalDrawingTool::mouseDoubleClickEvent(QMouseEvent* event) {
  auto tool = Current();
  return tool && tool->mouseDoubleClickEvent(event);
}

void UniversalDrawingTool::paintEvent(QPaintEvent* event, QPaintDevice* device) {
  if (auto tool = Current()) tool->paintEvent(event, device);
}

void UniversalDrawingTool::updateCursor(int size, int blur) {
  if (auto tool = Current()) tool->updateCursor(size, blur);
}

}  // namespace Glimra
}  // namespace Zentor
