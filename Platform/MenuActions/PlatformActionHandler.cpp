#include "Platform/MenuActions/PlatformActionHandler.h"

#include <QAction>
#include <QMenu>

namespace Zentor {
namespace App {
namespace {

const char* const PLATFORM_TAG = "platformTag";
const char* const MAC_SPECIFIC_TAG = "macSpecificTag";

bool TaggedForOtherPlatform(const QObject* object) {
  const QString tag = object->property(PLATFORM_TAG).toString();
  return !tag.isEmpty() && tag != PlatformActionHandler::currentPlatform();
}

}  // namespace

PlatformActionHandler::PlatformActionHandler(QObject* parent) : ActionHandler(parent) {}

QString PlatformActionHandler::currentPlatform() {
#ifdef Q_OS_MACOS
  return QStringLiteral("mac");
#else
  return QStringLiteral("win");
#endif
}

bool PlatformActionHandler::isForOtherPlatform(const QAction* action) {
  if (TaggedForOtherPlatform(action)) return true;
  if (currentPlatform() != QLatin1String("mac") && !action->property(MAC_SPECIFIC_TAG).toString().isEmpty())
    return true;
  // A submenu's entry carries no tag of its own: the menu does.
  if (action->menu() && TaggedForOtherPlatform(action->menu())) return true;
  // Up the menu tree: an entry of a hidden menu is hidden too, so its shortcut never fires.
  for (const QObject* owner : action->associatedObjects()) {
    const auto* menu = qobject_cast<const QMenu*>(owner);
    if (menu && menu->menuAction() != action && isForOtherPlatform(menu->menuAction())) return true;
  }
  return false;
}

void PlatformActionHandler::handleAction(QAction* action) {
  if (isForOtherPlatform(action)) action->setVisible(false);
}

}  // namespace App
}  // namespace Zentor
