#include "Platform/AppShell/UpdateManager.h"

#include "Platform/AppShell/AlertBox.h"

namespace Zentor {
namespace App {

void UpdateManager::CheckForUpdates(QWidget* parent, bool automatic, const QList<QObject*>& /*observers*/) {
  if (automatic) return;
  AlertBox::exec(AlertBox::LEVEL_NOTICE, tr("Check for Updates"),
                 tr("Updates of this program come through your system's package manager."), QMessageBox::Ok, parent);
}

}  // namespace App
}  // namespace Zentor
