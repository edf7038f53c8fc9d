// A session folder held by a live process: the folder is created and a lock file inside it stays
// locked while this object lives. Clearing the temporary files leaves a held folder alone.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace Zentor {
namespace App {

class SessionFolderLock {
 public:
  // `folder` may end with "/"; missing parents are created.
  explicit SessionFolderLock(const QString& folder);
  ~SessionFolderLock();
  SessionFolderLock(const SessionFolderLock&) = delete;
  SessionFolderLock& operator=(const SessionFolderLock&) = delete;

  bool IsLocked() const { return lock_ && lock_->isLocked(); }

  // Whether a live process (this one included) holds the folder; a folder without a lock, or one
  // that does not exist, is not held. With `waitMs`, a holder that lets go within that time (a
  // copy of the program that is closing) does not count.
  static bool IsHeld(const QString& folder, int waitMs = 0);
  static QString LockFilePath(const QString& folder);
  static const char* const LOCK_FILE_NAME;

 private:
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace App
}  // namespace Zentor
