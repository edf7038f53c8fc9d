// Hands a form's menus and actions to its handlers. Each item goes through every handler in the
// order they were added before the parser moves on, so a later handler sees what an earlier one
// decided (the hotkey handler knows which entries the platform handler hid).
#pragma once

#include <QList>
#include <QObject>

#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace Zentor {
namespace App {

class ActionHandler;

class ActionParser : public QObject {
  Q_OBJECT

 public:
  explicit ActionParser(QObject* parent = nullptr);

  // The parser takes the handler over as its QObject child.
  void addHandler(ActionHandler* handler);

  void parseMenuBar(QMenuBar* menuBar);
  // The menu, then its entries, submenus included.
  void parseMenu(QMenu* menu);
  void parseAction(QAction* action);
  void parseActions(const QList<QAction*>& actions);

 private:
  std::vector<ActionHandler*> handlers_;
};

}  // namespace App
}  // namespace Zentor
