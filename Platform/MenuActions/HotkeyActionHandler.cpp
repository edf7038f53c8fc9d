#include "Platform/MenuActions/HotkeyActionHandler.h"

#include <QAction>

#include <glog/logging.h>

#include <algorithm>
#include <initializer_list>

namespace Zentor {
namespace App {

const char* const HotkeyActionHandler::HOTKEY_TAG = "hotkeyTag";

// Written out rather than taken from QKeySequence's standard keys, which depend on the platform
// theme and are empty for some of these tags on several Linux desktops.
HotkeyActionHandler::HotkeyActionHandler(QObject* parent) : ActionHandler(parent) {
  const auto keys = [](std::initializer_list<const char*> sequences) {
    QList<QKeySequence> list;
    for (const char* sequence : sequences) list.append(QKeySequence(QLatin1String(sequence)));
    return list;
  };
  map_[QStringLiteral("open")] = keys({"Ctrl+O"});
  map_[QStringLiteral("save")] = keys({"Ctrl+S"});
  map_[QStringLiteral("saveAs")] = keys({"Ctrl+Shift+S"});
  map_[QStringLiteral("print")] = keys({"Ctrl+P"});
  map_[QStringLiteral("quit")] = keys({"Ctrl+Q"});
  map_[QStringLiteral("undo")] = keys({"Ctrl+Z"});
  map_[QStringLiteral("redo")] = keys({"Ctrl+Shift+Z", "Ctrl+Y"});
  map_[QStringLiteral("zoomIn")] = keys({"Ctrl++", "Ctrl+="});
  map_[QStringLiteral("zoomOut")] = keys({"Ctrl+-"});
  map_[QStringLiteral("help")] = keys({"F1"});
  map_[QStringLiteral("preferences")] = keys({"Ctrl+,"});
}

QAction* HotkeyActionHandler::VisibleHolder(const QKeySequence& sequence, const QAction* except) const {
  for (const QPointer<QAction>& other : handled_) {
    if (other && other != except && other->isVisible() && other->shortcuts().contains(sequence)) return other;
  }
  return nullptr;
}

void HotkeyActionHandler::handleAction(QAction* action) {
  handled_.erase(std::remove(handled_.begin(), handled_.end(), nullptr), handled_.end());

  QList<QKeySequence> wanted = action->shortcuts();
  for (const QKeySequence& sequence : map_.value(action->property(HOTKEY_TAG).toString())) {
    if (!wanted.contains(sequence)) wanted.append(sequence);
  }
  QList<QKeySequence> granted;
  for (const QKeySequence& sequence : wanted) {
    if (sequence.isEmpty() || granted.contains(sequence)) continue;
    // A hidden action's shortcut never fires, so it clashes with nothing.
    if (action->isVisible()) {
      if (const QAction* holder = VisibleHolder(sequence, action)) {
        LOG(WARNING) << "The shortcut " << sequence.toString().toStdString() << " of \""
                     << holder->objectName().toStdString() << "\" is not given to \""
                     << action->objectName().toStdString() << "\" too";
        continue;
      }
    }
    granted.append(sequence);
  }
  if (granted != action->shortcuts()) action->setShortcuts(granted);
  if (std::find(handled_.begin(), handled_.end(), action) == handled_.end()) handled_.emplace_back(action);
}

}  // namespace App
}  // namespace Zentor
