#include "Platform/MenuActions/ActionHandler.h"

namespace Zentor {
namespace App {

ActionHandler::ActionHandler(QObject* parent) : QObject(parent) {}

void ActionHandler::handleMenuBar(QMenuBar*) {}

void ActionHandler::handleMenu(QMenu*) {}

void ActionHandler::handleAction(QAction*) {}

}  // namespace App
}  // namespace Zentor
