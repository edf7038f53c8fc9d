// The application shell's QApplication: it holds the application-wide services (customisation,
// settings stores, look and feel), the links, and the session folders of the temporary files.
#pragma once

#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LinksManager.h"
#include "Platform/AppShell/ILookAndFeelManager.h"
#include "Platform/AppShell/SettingsManager.h"

#include <QApplication>

namespace Zentor {
namespace App {

class Application : public QApplication, public LinksManager {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);
  ~Application() override;

  // The running application object, or null when the QApplication is not one of these.
  static Application* Instance();

  // Also sets the organisation, application name and version of the QApplication (the cache and
  // settings folders follow them) and the window icon.
  void SetCustomizationManager(CustomizationManagerPtr customization);
  CustomizationManagerPtr GetCustomizationManager() const { return customization_; }

  // The application store is installed as AppSettings() too.
  void SetAppSettingsManager(SettingsManagerPtr settings);
  SettingsManagerPtr GetAppSettingsManager() const { return appSettings_; }
  void SetProductSettingsManager(SettingsManagerPtr settings) { productSettings_ = std::move(settings); }
  SettingsManagerPtr GetProductSettingsManager() const { return productSettings_; }
  // The product store when there is one, else the application store.
  SettingsManagerPtr GetSettingsManager() const { return productSettings_ ? productSettings_ : appSettings_; }
  // The running application's settings manager; AppSettings() when there is no application
  // object of this kind or it has no store yet.
  static ISettingsManager& CurrentSettings();

  // Also installed as LookAndFeel().
  void SetLookAndFeelManager(LookAndFeelManagerPtr lookAndFeel);
  LookAndFeelManagerPtr GetLookAndFeelManager() const { return lookAndFeel_; }

  // True when the application settings file did not exist before this run.
  bool IsFirstLauch() const { return firstLaunch_; }

  // The user's anonymous id for usage statistics: a QUuid made on first use and kept in the
  // application settings under KEY_USER_ID.
  static std::string GetUserId();
  static const std::string KEY_USER_ID;

  QString ApplicationName() const;
  QString GetFullApplicationName() const;

  // `<cache folder>/sessions/`, always ending with "/". Survives a reboot, unlike /tmp.
  static QString GetApplicationTemporaryFilesDir();
  // Removes the session folders that no live process holds (SessionFolderLock). `scope` 2 asks for
  // the earlier temporary files of this application, the only kind there is.
  static void ClearApplicationTemporaryFiles(int scope);

 signals:
  // Once, when the event loop runs; the automatic update check is asked for right after.
  void ApplicationStarted();
  void AutoUpdateCheckRequested();

 private:
  CustomizationManagerPtr customization_;
  SettingsManagerPtr appSettings_;
  SettingsManagerPtr productSettings_;
  LookAndFeelManagerPtr lookAndFeel_;
  bool firstLaunch_ = false;
};

}  // namespace App
}  // namespace Zentor
