// One step of the action parser: it sees every menu and action a form hands over and adjusts
// them (shortcuts, platform-only entries, generated lists) from their dynamic properties.
#pragma once

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace Zentor {
namespace App {

class ActionHandler : public QObject {
  Q_OBJECT

 public:
  explicit ActionHandler(QObject* parent = nullptr);

  virtual void handleMenuBar(QMenuBar* menuBar);
  // Called before the menu's own actions are handed over, so entries a handler adds here are
  // handed over too.
  virtual void handleMenu(QMenu* menu);
  virtual void handleAction(QAction* action);
};

}  // namespace App
}  // namespace Zentor
