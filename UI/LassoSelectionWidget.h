// The pop-up beside the lasso tool button that chooses between the lasso and the polygonal lasso.
#pragma once

#include <QWidget>

#include <memory>

class QAbstractButton;
class Ui_LassoSelectionWidget;

namespace Zentor {
namespace Glimra {

class LassoSelectionWidget : public QWidget {
  Q_OBJECT

 public:
  // A pop-up window: it closes when the user clicks elsewhere.
  explicit LassoSelectionWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~LassoSelectionWidget() override;

  QAbstractButton* GetLassoControl() const;
  QAbstractButton* GetPolygonControl() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  std::unique_ptr<Ui_LassoSelectionWidget> ui;
};

}  // namespace Glimra
}  // namespace Zentor
