// The workspace's stacked pages, on which image files can be dropped.
#pragma once

#include <QStackedWidget>
#include <QString>

namespace Zentor {
namespace Glimra {

class DropStackedWidget : public QStackedWidget {
  Q_OBJECT

 public:
  explicit DropStackedWidget(QWidget* parent = nullptr);

 signals:
  // The local file to open; at most once per drop.
  void openFile(QString path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace Glimra
}  // namespace Zentor
