// The bubble that shows one hint over the workspace, with a close button and a "Don't show
// anymore" box remembered per hint. It hides itself 12 seconds after it was shown.
#pragma once

#include "DrawingTools/IToolTip.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

class Ui_ToolTipWidget;

namespace Zentor {
namespace Glimra {

class ToolTipWidget : public QWidget, public virtual IToolTip {
  Q_OBJECT

 public:
  explicit ToolTipWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~ToolTipWidget() override;

  void hideToolTip() override;
  void changePosition() override;
  void showToolTip(const IToolTipProvider* provider) override;
  bool isToolTipVisible() const override;

 public Q_SLOTS:
  void OnNotShowAgain(int state);

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<Ui_ToolTipWidget> ui;
  QTimer timer;
  const IToolTipProvider* provider = nullptr;
  // Taken when the hint is shown, so the check box never needs the provider later.
  std::string settingsName;
  // Without a compositor a translucent window shows black where nothing is painted.
  bool translucent = false;
};

}  // namespace Glimra
}  // namespace Zentor
