// The engine's picture as an item of the scene, painted straight from the frame's memory: a large
// picture is neither copied nor converted to be shown.
#pragma once

#include "Proc/Interfaces/IDataVideo.h"

#include <QGraphicsItem>
#include <QImage>

namespace Zentor {
namespace Glimra {

// GUI thread only. The frame's pixels must not change while it is shown; the engine never writes
// into a frame it has handed out.
class FrameItem : public QGraphicsItem {
 public:
  FrameItem();

  // Holds the frame for as long as it is shown; a null frame or one in a format the program cannot
  // show leaves the item empty.
  void SetFrame(const Proc::DataVideoPtr& frame);

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  Proc::DataVideoPtr frame_;
  // Wraps the frame's plane without a copy.
  QImage image_;
};

}  // namespace Glimra
}  // namespace Zentor
