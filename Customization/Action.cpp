#include "Customization/Action.h"

#include "Platform/MenuActions/ActionParser.h"
#include "Platform/MenuActions/HotkeyActionHandler.h"
#include "Platform/MenuActions/LookAndFeelActionHandler.h"
#include "Platform/MenuActions/PlatformActionHandler.h"

#include <QCoreApplication>
#include <QPointer>

namespace Zentor {
namespace Glimra {
namespace Action {
namespace {

struct Hotkey {
  const char* tag;
  QKeyCombination keys;
};

// Ctrl is the Command key on macOS.
const Hotkey HOTKEYS[] = {
    {"fileInfo", Qt::CTRL | Qt::Key_I},
    {"startErasing", Qt::CTRL | Qt::Key_R},
    {"increaseSelection", Qt::CTRL | Qt::SHIFT | Qt::Key_P},
    {"decreaseSelection", Qt::CTRL | Qt::SHIFT | Qt::Key_M},
    {"resetSelection", Qt::CTRL | Qt::ALT | Qt::Key_A},
    {"fitToScreen", Qt::CTRL | Qt::SHIFT | Qt::Key_0},
};

QPointer<App::ActionParser>& Current() {
  static QPointer<App::ActionParser> parser;
  return parser;
}

App::ActionParser* Parser() {
  QPointer<App::ActionParser>& parser = Current();
  if (!parser && QCoreApplication::instance()) {
    parser = new App::ActionParser(QCoreApplication::instance());
    AddHandlers(*parser, App::LookAndFeel());
  }
  return parser;
}

}  // namespace

App::LookAndFeelActionHandler* AddHandlers(App::ActionParser& parser, const App::LookAndFeelManagerPtr& lookAndFeel) {
  parser.addHandler(new App::PlatformActionHandler());
  auto* lookAndFeelHandler = new App::LookAndFeelActionHandler(lookAndFeel);
  parser.addHandler(lookAndFeelHandler);
  auto* hotkeys = new App::HotkeyActionHandler();
  App::HotkeyActionHandler::HotkeyMap map = hotkeys->hotkeyMap();
  for (const Hotkey& hotkey : HOTKEYS) map[QLatin1String(hotkey.tag)].append(QKeySequence(hotkey.keys));
  hotkeys->setHotkeyMap(map);
  parser.addHandler(hotkeys);
  return lookAndFeelHandler;
}

void SetParser(App::ActionParser* parser) { Current() = parser; }

void parse(QMenuBar* menuBar) {
  if (App::ActionParser* parser = Parser()) parser->parseMenuBar(menuBar);
}

void parse(QMenu* menu) {
  if (App::ActionParser* parser = Parser()) parser->parseMenu(menu);
}

void parse(QAction* action) {
  if (App::ActionParser* parser = Parser()) parser->parseAction(action);
}

void parse(QList<QAction*> actions) {
  if (App::ActionParser* parser = Parser()) parser->parseActions(actions);
}

}  // namespace Action
}  // namespace Glimra
}  // namespace Zentor
