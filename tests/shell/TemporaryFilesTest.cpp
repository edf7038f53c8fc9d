#include "support/ProgramTestSupport.h"

#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/SessionFolderLock.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace {

using Zentor::App::Application;
using Zentor::App::SessionFolderLock;

const char* const HOLD_VARIABLE = "GLIMRA_TEST_HOLD_SESSION";

// Started as a child of a test, this binary holds the named session folder until its standard
// input closes, like a second copy of the program would.
const bool holderRole = [] {
  const char* folder = std::getenv(HOLD_VARIABLE);
  if (!folder) return false;
  {
    SessionFolderLock lock{QString::fromLocal8Bit(folder)};
    std::cout << (lock.IsLocked() ? "locked" : "failed") << std::endl;
    char c;
    while (read(0, &c, 1) > 0) {
    }
  }
  std::_Exit(0);
}();

QString SessionFolder(const QString& name) { return Application::GetApplicationTemporaryFilesDir() + name; }

TEST(TemporaryFilesTest, FolderIsUnderTheCacheAndEndsWithSlash) {
  const QString folder = Application::GetApplicationTemporaryFilesDir();
  EXPECT_TRUE(folder.endsWith(QStringLiteral("/sessions/"))) << folder.toStdString();
  EXPECT_TRUE(folder.startsWith(QString::fromLocal8Bit(std::getenv("XDG_CACHE_HOME")))) << folder.toStdString();
}

TEST(TemporaryFilesTest, ClearKeepsHeldSessionsAndRemovesTheRest) {
  const QString other = SessionFolder(QStringLiteral("other-process"));
  QProcess holder;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QLatin1String(HOLD_VARIABLE), other);
  holder.setProcessEnvironment(environment);
  holder.start(QCoreApplication::applicationFilePath(), {});
  ASSERT_TRUE(holder.waitForReadyRead(10000));
  ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "locked");

  auto ours = std::make_unique<SessionFolderLock>(SessionFolder(QStringLiteral("this-process/")));
  ASSERT_TRUE(ours->IsLocked());
  const QString abandoned = SessionFolder(QStringLiteral("abandoned"));
  ASSERT_TRUE(QDir().mkpath(abandoned));
  QFile swap(abandoned + QStringLiteral("/swap.raw"));
  ASSERT_TRUE(swap.open(QIODevice::WriteOnly));
  swap.close();

  Application::ClearApplicationTemporaryFiles(2);
  EXPECT_TRUE(QDir(other).exists());
  EXPECT_TRUE(QDir(SessionFolder(QStringLiteral("this-process"))).exists());
  EXPECT_FALSE(QDir(abandoned).exists());

  // A holder that died leaves a stale lock: its folder goes, like one our own run let go of.
  holder.kill();
  ASSERT_TRUE(holder.waitForFinished(10000));
  ours.reset();
  Application::ClearApplicationTemporaryFiles(2);
  EXPECT_FALSE(QDir(other).exists());
  EXPECT_FALSE(QDir(SessionFolder(QStringLiteral("this-process"))).exists());
}

TEST(TemporaryFilesTest, LockMakesMissingFolders) {
  const QString folder = SessionFolder(QStringLiteral("deep/er/"));
  SessionFolderLock lock(folder);
  EXPECT_TRUE(lock.IsLocked());
  EXPECT_TRUE(QFileInfo::exists(SessionFolderLock::LockFilePath(folder)));
}

}  // namespace
