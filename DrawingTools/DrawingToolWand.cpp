#include "DrawingTools/DrawingToolWand.h"

#include <QCoreApplication>
#include <QGraphicsView>
#include <QPixmap>

namespace Zentor {
namespace Glimra {

DrawingToolWand::DrawingToolWand(QGraphicsView& view) : DrawingToolEmpty(view) {}

boost::shared_ptr<IDrawingTool> DrawingToolWand::Create(QGraphicsView& view, IGlimraDrawer&) {
  return boost::shared_ptr<IDrawingTool>(new DrawingToolWand(view));
}

void DrawingToolWand::updateCursor(int, int) {
  if (!MayChangeCursor()) return;
  view.viewport()->setCursor(QCursor(QPixmap(QStringLiteral(":/Glimra/cursors/wand.png")), 1, 1));
}

QString DrawingToolWand::GetDescription() const {
  return QCoreApplication::translate(
      "DrawingToolWand",
      "The Magic Wand tool allows you to select areas of similar colors with a single click. Use tolerance to "
      "control the range of colors selected with one click.");
}

std::string DrawingToolWand::GetSettingsName() const { return "DrawingToolWandToolTip"; }

}  // namespace Glimra
}  // namespace Zentor
