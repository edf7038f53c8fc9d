// What the main window binds its tool menu actions to: the tool buttons of the tools panel and
// the panel's enabling of the selection and reset actions.
#pragma once

class QAbstractButton;
class QAction;

namespace Zentor {
namespace Glimra {

class IUIToolsControl {
 public:
  virtual QAbstractButton* GetBrushControl() const = 0;
  virtual QAbstractButton* GetLassoControl() const = 0;
  virtual QAbstractButton* GetWandControl() const = 0;
  virtual QAbstractButton* GetEraseControl() const = 0;
  virtual QAbstractButton* GetCloneControl() const = 0;

  virtual void SetClearSelectionUIAction(const QAction* action) = 0;
  virtual void SetStartEraseUIAction(const QAction* action) = 0;
  virtual void SetSaveSelectionUIAction(const QAction* action) = 0;
  virtual void SetResetAllChangesUIAction(const QAction* action) = 0;
  virtual void SetResizeSelectionActions(const QAction* increase, const QAction* decrease) = 0;

  virtual ~IUIToolsControl() = default;
};

}  // namespace Glimra
}  // namespace Zentor
