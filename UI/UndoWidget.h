// The Undo and Redo buttons of the main window's top panel. They call the undo interface of the
// current image's engine and stay enabled, with the main window's Undo and Redo actions, exactly
// when a step can be undone or redone.
#pragma once

#include "Engine/DrawerEventHandlerUI.h"

#include <QWidget>

#include <memory>

class QAction;
class Ui_UndoWidget;

namespace Zentor {
namespace Glimra {

// GUI thread only.
class UndoWidget : public QWidget, public virtual DrawerEventHandlerUI {
  Q_OBJECT

 public:
  explicit UndoWidget(QWidget* parent = nullptr);
  ~UndoWidget() override;

  // Called once: the actions follow the buttons' states and click the buttons when triggered.
  void SetUndoUIActions(const QAction* undo, const QAction* redo);
  // Not owned; the engine of the current image, set again for every opened image.
  void SetUndoEngine(IGlimraUndoBase* engine);
  void HandleEventInternal() override;
  void UpdateState();

 Q_SIGNALS:
  void undoEnabled(bool enabled);
  void redoEnabled(bool enabled);

 public Q_SLOTS:
  void OnUndoButtonClicked();
  void OnRedoButtonClicked();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  std::unique_ptr<Ui_UndoWidget> ui;
  IGlimraUndoBase* undoEngine = nullptr;
};

}  // namespace Glimra
}  // namespace Zentor
