// Update checks. The program is updated by the system's package manager, so a check asked for by
// the user says so, and the automatic check has nothing to do.
#pragma once

#include <QCoreApplication>
#include <QList>

class QObject;
class QWidget;

namespace Zentor {
namespace App {

class UpdateManager {
  Q_DECLARE_TR_FUNCTIONS(Zentor::App::UpdateManager)

 public:
  static void CheckForUpdates(QWidget* parent, bool automatic, const QList<QObject*>& observers = {});
};

}  // namespace App
}  // namespace Zentor
