#include "Platform/MenuActions/HotkeyActionHandler.h"

#include <QAction>

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace App {

const char* const HotkeyActionHandler::HOTKEY_TAG = "hotkeyTag";

HotkeyActionHandler::HotkeyActionHandler(QObject* parent) : ActionHandler(parent) {
  const auto standard = [this](const char* tag, QKeySequence::StandardKey key) {
    map_[QLatin1String(tag)] = QKeySequence::keyBindings(key);
  };
  standard("open", QKeySequence::Open);
  standard("save", QKeySequence::Save);
  standard("saveAs", QKeySequence::SaveAs);
  standard("print", QKeySequence::Print);
  standard("quit", QKeySequence::Quit);
  standard("undo", QKeySequence::Undo);
  standard("redo", QKeySequence::Redo);
  standard("zoomIn", QKeySequence::ZoomIn);
  standard("zoomOut", QKeySequence::ZoomOut);
  standard("help", QKeySequence::HelpContents);
  map_[QStringLiteral("preferences")] = {QKeySequence(Qt::CTRL | Qt::Key_Comma)};
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
