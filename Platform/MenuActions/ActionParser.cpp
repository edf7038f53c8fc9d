#include "Platform/MenuActions/ActionParser.h"

#include "Platform/MenuActions/ActionHandler.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace Zentor {
namespace App {

ActionParser::ActionParser(QObject* parent) : QObject(parent) {}

void ActionParser::addHandler(ActionHandler* handler) {
  if (!handler) return;
  handler->setParent(this);
  handlers_.push_back(handler);
}

void ActionParser::parseMenuBar(QMenuBar* menuBar) {
  if (!menuBar) return;
  for (ActionHandler* handler : handlers_) handler->handleMenuBar(menuBar);
  for (QAction* action : menuBar->actions()) {
    if (QMenu* menu = action->menu())
      parseMenu(menu);
    else
      parseAction(action);
  }
}

void ActionParser::parseMenu(QMenu* menu) {
  if (!menu) return;
  for (ActionHandler* handler : handlers_) handler->handleMenu(menu);
  // The entry that shows the menu in its parent goes through the handlers like any action.
  parseAction(menu->menuAction());
  // Read after the handlers ran: entries they added are handed over as well.
  for (QAction* action : menu->actions()) {
    if (QMenu* submenu = action->menu())
      parseMenu(submenu);
    else
      parseAction(action);
  }
}

void ActionParser::parseAction(QAction* action) {
  if (!action) return;
  for (ActionHandler* handler : handlers_) handler->handleAction(action);
}

void ActionParser::parseActions(const QList<QAction*>& actions) {
  for (QAction* action : actions) parseAction(action);
}

}  // namespace App
}  // namespace Zentor
