#include "support/ProgramTestSupport.h"

#include "Platform/AppShell/AboutBoxDialog.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/UpdateManager.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <iostream>

namespace {

using Zentor::App::Application;

const char* const RUN_VARIABLE = "GLIMRA_TEST_RUN_APPLICATION";

// Started as a child of a test, this binary builds the application object itself (the test main's
// QApplication cannot live beside a second one), sets it up as the program does, runs its event
// loop until the start signals came, and prints what it saw.
const bool applicationRole = [] {
  if (!std::getenv(RUN_VARIABLE)) return false;
  static int argc = 1;
  static char name[] = "glimra";
  static char* argv[] = {name, nullptr};
  {
    Application application(argc, argv);
    auto customization = std::make_shared<Zentor::App::CustomizationManager>(Zentor::App::GetPathToResources(), name);
    customization->InitSettings();
    application.SetCustomizationManager(customization);
    application.SetAppSettingsManager(
        std::make_shared<Zentor::App::SettingsManager>(customization->GetAppSettingsName(), "Zentor"));
    int started = 0;
    int updateChecks = 0;
    QObject::connect(&application, &Application::ApplicationStarted, &application, [&] { ++started; });
    QObject::connect(&application, &Application::AutoUpdateCheckRequested, &application, [&] {
      ++updateChecks;
      QTimer::singleShot(20, &application, &QCoreApplication::quit);
    });
    const int startedBeforeLoop = started;
    application.exec();
    Zentor::App::AppSettings().SetBool("launched", true);
    std::cout << "first=" << application.IsFirstLauch() << " before=" << startedBeforeLoop << " started=" << started
              << " updates=" << updateChecks << " full=" << application.GetFullApplicationName().toStdString()
              << " installed=" << (&Zentor::App::AppSettings() == application.GetAppSettingsManager().get())
              << std::endl;
  }
  std::_Exit(0);
}();

TEST(ApplicationTest, StartSignalsOnceAndFirstLaunchOnlyOnce) {
  QTemporaryDir config;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QLatin1String(RUN_VARIABLE), QStringLiteral("1"));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  auto run = [&] {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    EXPECT_TRUE(child.waitForFinished(20000));
    return child.readAllStandardOutput().trimmed().toStdString();
  };
  EXPECT_EQ(run(), "first=1 before=0 started=1 updates=1 full=Zentor Glimra 1.0 installed=1");
  EXPECT_EQ(run(), "first=0 before=0 started=1 updates=1 full=Zentor Glimra 1.0 installed=1");
}

TEST(ApplicationTest, AboutBoxAndUpdateCheckGoThroughTheAlertHook) {
  TestSupport::Alerts().clear();
  Zentor::App::UpdateManager::CheckForUpdates(nullptr, true);
  EXPECT_TRUE(TestSupport::Alerts().empty()) << "the automatic check says nothing";
  Zentor::App::UpdateManager::CheckForUpdates(nullptr, false);
  Zentor::App::AboutBoxDialog::ShowAbout("Zentor Glimra 1.0", "file:///help/index.html#about", nullptr);
  ASSERT_EQ(TestSupport::Alerts().size(), 2u);
  EXPECT_TRUE(TestSupport::Alerts()[0].text.contains("package manager"));
  EXPECT_EQ(TestSupport::Alerts()[1].title, "About Zentor Glimra 1.0");
  EXPECT_TRUE(TestSupport::Alerts()[1].text.contains("href=\"file:///help/index.html#about\""));
}

}  // namespace
