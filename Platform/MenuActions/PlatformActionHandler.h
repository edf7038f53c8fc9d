// Hides the entries meant for another platform: a menu or action whose "platformTag" names
// another platform than this one, an action carrying a "macSpecificTag" anywhere but on macOS,
// and everything inside a hidden menu. Linux takes the "win" side.
#pragma once

#include "Platform/MenuActions/ActionHandler.h"

#include <QString>

namespace Zentor {
namespace App {

class PlatformActionHandler : public ActionHandler {
  Q_OBJECT

 public:
  explicit PlatformActionHandler(QObject* parent = nullptr);

  void handleAction(QAction* action) override;

  // "mac" on macOS, "win" everywhere else.
  static QString currentPlatform();
  // Whether the action, or a menu it sits in, belongs to another platform.
  static bool isForOtherPlatform(const QAction* action);
};

}  // namespace App
}  // namespace Zentor
