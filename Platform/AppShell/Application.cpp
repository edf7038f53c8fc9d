#include "Platform/AppShell/Application.h"

#include "Platform/AppShell/SessionFolderLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUuid>

#include <glog/logging.h>

namespace Zentor {
namespace App {

const std::string Application::KEY_USER_ID = "UserID";

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setOrganizationName(QStringLiteral("Zentor"));
  setApplicationName(QStringLiteral("Glimra"));
  QTimer::singleShot(0, this, [this] {
    emit ApplicationStarted();
    emit AutoUpdateCheckRequested();
  });
}

// The settings store and look and feel are not left installed past the application they belong to.
Application::~Application() {
  if (appSettings_) SetAppSettings(nullptr);
  if (lookAndFeel_ && LookAndFeel() == lookAndFeel_) SetLookAndFeel(nullptr);
}

Application* Application::Instance() { return qobject_cast<Application*>(QCoreApplication::instance()); }

void Application::SetCustomizationManager(CustomizationManagerPtr customization) {
  customization_ = std::move(customization);
  if (!customization_) return;
  setOrganizationName(QString::fromStdString(customization_->GetOrganizationName()));
  setApplicationName(QString::fromStdString(customization_->GetAppSettingsName()));
  setApplicationVersion(QStringLiteral("%1.%2")
                            .arg(customization_->GetProductVersionMajor())
                            .arg(customization_->GetProductVersionMinor()));
  const QPixmap icon = customization_->GetApplicationIcon();
  if (!icon.isNull()) setWindowIcon(QIcon(icon));
}

void Application::SetAppSettingsManager(SettingsManagerPtr settings) {
  appSettings_ = settings;
  const auto* store = dynamic_cast<const SettingsManager*>(settings.get());
  firstLaunch_ = store && !store->ExistedBefore();
  SetAppSettings(std::move(settings));
}

ISettingsManager& Application::CurrentSettings() {
  const Application* application = Instance();
  if (application && application->GetSettingsManager()) return *application->GetSettingsManager();
  return AppSettings();
}

void Application::SetLookAndFeelManager(LookAndFeelManagerPtr lookAndFeel) {
  lookAndFeel_ = std::move(lookAndFeel);
  SetLookAndFeel(lookAndFeel_);
}

std::string Application::GetUserId() {
  ISettingsManager& settings = AppSettings();
  const QUuid stored(QString::fromStdString(settings.GetString(KEY_USER_ID, std::string())));
  if (!stored.isNull()) return stored.toString(QUuid::WithoutBraces).toStdString();
  const std::string made = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
  settings.SetString(KEY_USER_ID, made);
  return made;
}

QString Application::ApplicationName() const {
  if (customization_) return QString::fromStdString(customization_->GetProductName(true));
  return QCoreApplication::applicationName();
}

QString Application::GetFullApplicationName() const {
  const QString organisation = customization_ ? QString::fromStdString(customization_->GetOrganizationName())
                                              : QCoreApplication::organizationName();
  return QStringLiteral("%1 %2 %3").arg(organisation, ApplicationName(), QCoreApplication::applicationVersion());
}

QString Application::GetApplicationTemporaryFilesDir() {
  QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  if (cache.isEmpty()) cache = QDir::tempPath() + QLatin1Char('/') + QCoreApplication::applicationName();
  return QDir::cleanPath(cache) + QStringLiteral("/sessions/");
}

void Application::ClearApplicationTemporaryFiles(int /*scope*/) {
  const QDir sessions(GetApplicationTemporaryFilesDir());
  for (const QString& name : sessions.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
    const QString folder = sessions.filePath(name);
    // Taking the lock ourselves fails while a live process holds it, and keeps a starting
    // session from locking the folder while it is being removed.
    QLockFile lock(SessionFolderLock::LockFilePath(folder));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) continue;
    // Everything but the lock goes while we hold it; the lock file last, with the folder.
    const QDir session(folder);
    for (const QFileInfo& entry :
         session.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
      if (entry.fileName() == QLatin1String(SessionFolderLock::LOCK_FILE_NAME)) continue;
      if (entry.isDir() && !entry.isSymLink())
        QDir(entry.filePath()).removeRecursively();
      else
        QFile::remove(entry.filePath());
    }
    lock.unlock();
    // Fails, and leaves the folder alone, when a starting session locked it in the meantime.
    if (!sessions.rmdir(name)) LOG(WARNING) << "Cannot remove the session folder: " << folder.toStdString();
  }
}

}  // namespace App
}  // namespace Zentor
