#include "Platform/AppShell/SessionFolderLock.h"

#include <QDir>

#include <glog/logging.h>

namespace Zentor {
namespace App {

const char* const SessionFolderLock::LOCK_FILE_NAME = "session.lock";

QString SessionFolderLock::LockFilePath(const QString& folder) {
  return QDir::cleanPath(folder) + QLatin1Char('/') + QLatin1String(LOCK_FILE_NAME);
}

bool SessionFolderLock::IsHeld(const QString& folder, int waitMs) {
  QLockFile probe(LockFilePath(folder));
  probe.setStaleLockTime(0);
  if (probe.tryLock(waitMs)) {
    probe.unlock();
    return false;
  }
  return probe.error() == QLockFile::LockFailedError;
}

SessionFolderLock::SessionFolderLock(const QString& folder) {
  // A clearing process may take the lock of a new, still unlocked folder and delete the folder
  // between our mkpath and our lock; the folder is then made again.
  for (int attempt = 0; attempt < 5 && !IsLocked(); ++attempt) {
    QDir().mkpath(folder);
    lock_ = std::make_unique<QLockFile>(LockFilePath(folder));
    // Held for the whole session, so age never makes it stale; only a dead holder does.
    lock_->setStaleLockTime(0);
    lock_->tryLock(200);
  }
  if (!IsLocked()) LOG(WARNING) << "Cannot lock the session folder: " << folder.toStdString();
}

SessionFolderLock::~SessionFolderLock() = default;

}  // namespace App
}  // namespace Zentor
