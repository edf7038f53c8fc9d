#include "Workspace/FrameItem.h"

#include "Engine/ColorspaceConverter.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <utility>

namespace Zentor {
namespace Glimra {

FrameItem::FrameItem() {
  // Only the exposed part is drawn: a large picture under a small repaint costs little.
  setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void FrameItem::SetFrame(const Proc::DataVideoPtr& frame) {
  QImage image = frame ? ColorspaceConverter::FrameToImage(frame) : QImage();
  if (image.size() != image_.size()) prepareGeometryChange();
  image_ = std::move(image);
  frame_ = image_.isNull() ? Proc::DataVideoPtr() : frame;
  update();
}

QRectF FrameItem::boundingRect() const { return QRectF(QPointF(0, 0), image_.size()); }

void FrameItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* /*widget*/) {
  const QRect area = option->exposedRect.toAlignedRect() & image_.rect();
  if (area.isEmpty()) return;
  // Pixels stay sharp when zoomed in, as the pixmaps of the stroke's patches do.
  painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter->drawImage(QRectF(area), image_, QRectF(area));
}

}  // namespace Glimra
}  // namespace Zentor
