#include "Platform/Widgets/ExtendedLabel.h"

#include <QMouseEvent>

namespace Zentor {
namespace Gui {

ExtendedLabel::ExtendedLabel(QWidget* parent) : QLabel(parent) {}

void ExtendedLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  // A press that is dragged off the label and released elsewhere is no click.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace Gui
}  // namespace Zentor
