// A label that reports clicks, so that a check box's caption can toggle the check box. Style sheets
// read its dynamic properties "clipText" and "originalText".
#pragma once

#include <QLabel>

namespace Zentor {
namespace Gui {

class ExtendedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ExtendedLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace Gui
}  // namespace Zentor
