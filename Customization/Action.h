// The program's menu actions: forms hand their menus and actions to the application's action
// parser, which carries the platform, look-and-feel and hotkey handlers with the program's hotkeys.
#pragma once

#include "Platform/AppShell/ILookAndFeelManager.h"

#include <QList>

class QAction;
class QMenu;
class QMenuBar;

namespace Zentor {
namespace App {
class ActionParser;
class LookAndFeelActionHandler;
}  // namespace App

namespace Glimra {
namespace Action {

// Adds the platform, look-and-feel and hotkey handlers, in this order, with the program's
// hotkeys; returns the look-and-feel handler.
App::LookAndFeelActionHandler* AddHandlers(App::ActionParser& parser, const App::LookAndFeelManagerPtr& lookAndFeel);

// The parser that parse uses; the application object sets its own. Without one (a plain
// QApplication, as in tests) a parser with the same handlers serves, on the look and feel
// installed at its first use.
void SetParser(App::ActionParser* parser);

void parse(QMenuBar* menuBar);
void parse(QMenu* menu);
void parse(QAction* action);
void parse(QList<QAction*> actions);

}  // namespace Action
}  // namespace Glimra
}  // namespace Zentor
