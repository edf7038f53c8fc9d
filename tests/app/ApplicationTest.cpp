// The program's application object is a QApplication, and the test main holds one already: each
// case runs this binary again as a child (TestSupport::RegisterChild) that builds the application
// object, does one thing and prints what it saw as "key=value" lines.
#include "support/ProgramTestSupport.h"

#include "Core/Interfaces/Exception.h"
#include "Customization/Action.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "main/Application.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <boost/exception/get_error_info.hpp>

#include <cstdlib>
#include <iostream>
#include <map>
#include <stdexcept>

namespace {

using Zentor::Glimra::Application;

const char* const ROLE_VARIABLE = "GLIMRA_TEST_APP_ROLE";
const char* const STORED_THEME_VARIABLE = "GLIMRA_TEST_STORED_THEME";

void Print(const std::string& key, const QString& value) { std::cout << key << "=" << value.toStdString() << "\n"; }

QString Keys(const QAction* action) { return QKeySequence::listToString(action->shortcuts()); }

QAction* AddAction(QMenu* menu, const char* name, const char* hotkeyTag, const char* shortcut = nullptr) {
  QAction* action = menu->addAction(QString::fromLatin1(name));
  action->setObjectName(QString::fromLatin1(name));
  if (hotkeyTag) action->setProperty("hotkeyTag", hotkeyTag);
  if (shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
  return action;
}

// A small form tagged like the main window's: an application menu for macOS, the file menu with
// the Windows-side Exit, a settings menu with the language list, an action in no menu.
void ParseTestForm(Application& application) {
  QMenuBar bar;
  QMenu* mac = bar.addMenu(QStringLiteral("MacOSMenu"));
  mac->setProperty("platformTag", "mac");
  QAction* macQuit = AddAction(mac, "macQuit", "quit");
  QMenu* macLanguage = mac->addMenu(QStringLiteral("Language"));
  macLanguage->setProperty("lafMenu", "locale");
  QMenu* file = bar.addMenu(QStringLiteral("File"));
  QAction* fileInfo = AddAction(file, "fileInfo", "fileInfo");
  QAction* exit = AddAction(file, "exit", "quit", "Alt+F4");
  exit->setProperty("platformTag", "win");
  QAction* clashing = AddAction(file, "clashing", nullptr, "Ctrl+I");
  QMenu* settings = bar.addMenu(QStringLiteral("Settings"));
  settings->setProperty("platformTag", "win");
  QMenu* language = settings->addMenu(QStringLiteral("Language"));
  language->setProperty("lafMenu", "locale");
  QAction showAll(QStringLiteral("Show All"));
  showAll.setProperty("macSpecificTag", "showAll");

  Zentor::Glimra::Action::parse(&bar);
  Zentor::Glimra::Action::parse(&showAll);

  Print("fileInfo", Keys(fileInfo));
  Print("exit", Keys(exit));
  Print("clashing", Keys(clashing));
  Print("macMenuVisible", QString::number(mac->menuAction()->isVisible()));
  Print("macQuitVisible", QString::number(macQuit->isVisible()));
  Print("macLanguageVisible", QString::number(macLanguage->menuAction()->isVisible()));
  Print("showAllVisible", QString::number(showAll.isVisible()));
  Print("settingsVisible", QString::number(settings->menuAction()->isVisible()));

  QStringList codes;
  QAction* german = nullptr;
  for (QAction* action : language->actions()) {
    if (!action->isCheckable()) continue;
    codes << action->data().toString() + (action->isChecked() ? QStringLiteral("*") : QString());
    if (action->data().toString() == QLatin1String("de")) german = action;
  }
  Print("languages", codes.join(QLatin1Char(',')));
  if (german) german->trigger();
  Print("localeAfterChoice", QString::fromStdString(application.GetSettingsManager()->GetString("locale", "")));
  Print("lookAndFeelLocale", QString::fromStdString(application.GetLookAndFeelManager()->GetCurrentLocale()));
}

int RunChild(const std::string& role) {
  static int argc = 1;
  static char name[] = "/opt/somewhere/glimra";
  static char* argv[] = {name, nullptr};
  if (const char* theme = std::getenv(STORED_THEME_VARIABLE))
    Zentor::App::SettingsManager("Glimra", "Zentor").SetString("theme", theme);

  if (role == "fail") {
    try {
      Application application(argc, argv);
      Print("thrown", QStringLiteral("0"));
    } catch (const Zentor::Exception& e) {
      const std::string* description = boost::get_error_info<Zentor::TagDescription>(e);
      Print("thrown", QString::fromStdString(description ? *description : "?"));
    }
    Print("coreInitialized", QString::number(Zentor::Core::CoreManager::Instance().IsInitialized()));
    Print("lookAndFeelInstalled", QString::number(Zentor::App::LookAndFeel() != nullptr));
    return 0;
  }

  Application application(argc, argv);
  Print("coreInitialized", QString::number(Zentor::Core::CoreManager::Instance().IsInitialized()));
  if (role == "configure") {
    const Zentor::App::SettingsManagerPtr settings = application.GetSettingsManager();
    Print("locale", QString::fromStdString(settings->GetString("locale", "?")));
    Print("theme", QString::fromStdString(settings->GetString("theme", "?")));
    ParseTestForm(application);
  } else if (role == "notify") {
    QTimer::singleShot(0, &application, [] { throw std::runtime_error("first failure"); });
    QTimer::singleShot(0, &application, [] { throw std::logic_error("second failure"); });
    QTimer::singleShot(20000, &application, [] { QCoreApplication::exit(7); });
    Print("exitCode", QString::number(application.exec()));
    std::exception_ptr pending = application.takePendingException();
    try {
      if (pending) std::rethrow_exception(pending);
      Print("kept", QStringLiteral("none"));
    } catch (const std::exception& e) {
      Print("kept", QString::fromUtf8(e.what()));
    }
    Print("keptAfterTaking", QString::number(application.takePendingException() != nullptr));
  }
  return 0;
}

const bool childRegistered = TestSupport::RegisterChild("application", [] {
  const int code = RunChild(std::getenv(ROLE_VARIABLE));
  std::cout.flush();
  return code;
});

// Runs the child with `role` and returns its lines as a map.
std::map<std::string, std::string> RunApplication(const char* role, const QString& resources = {},
                                                  const char* storedTheme = nullptr) {
  QTemporaryDir config;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("GLIMRA_TEST_CHILD"), QStringLiteral("application"));
  environment.insert(QLatin1String(ROLE_VARIABLE), QLatin1String(role));
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  if (!resources.isEmpty()) environment.insert(QStringLiteral("GLIMRA_RESOURCES_DIR"), resources);
  if (storedTheme) environment.insert(QLatin1String(STORED_THEME_VARIABLE), QLatin1String(storedTheme));
  QProcess child;
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(), {});
  EXPECT_TRUE(child.waitForFinished(30000));
  std::map<std::string, std::string> lines;
  for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
    const int equals = line.indexOf('=');
    if (equals > 0) lines[line.left(equals).toStdString()] = line.mid(equals + 1).toStdString();
  }
  return lines;
}

// The installed files with two themes, "aaa" sorting first.
QString ResourcesWithTwoThemes(const QTemporaryDir& folder) {
  const QDir source(QString::fromStdString(Zentor::App::GetPathToResources()));
  const QDir target(folder.path());
  target.mkpath(QStringLiteral("themes"));
  target.mkpath(QStringLiteral("translations"));
  QFile::copy(source.filePath(QStringLiteral("ZentorGlimraCustom.ini")), target.filePath(QStringLiteral("ZentorGlimraCustom.ini")));
  QFile::copy(source.filePath(QStringLiteral("translations/glimra_de.qm")), target.filePath(QStringLiteral("translations/glimra_de.qm")));
  for (const char* theme : {"themes/aaa.qss", "themes/default.qss"}) {
    QFile sheet(target.filePath(QLatin1String(theme)));
    sheet.open(QIODevice::WriteOnly);
    sheet.write("QWidget {}\n");
  }
  return folder.path();
}

TEST(ApplicationTest, FreshSettingsGetTheLocaleAndTheThemeInUse) {
  QTemporaryDir resources;
  auto lines = RunApplication("configure", ResourcesWithTwoThemes(resources));
  EXPECT_EQ(lines["coreInitialized"], "1");
  EXPECT_EQ(lines["locale"], "en") << "the test's C locale falls back to the source language";
  EXPECT_EQ(lines["theme"], "default");

  lines = RunApplication("configure", ResourcesWithTwoThemes(resources), "gone");
  EXPECT_EQ(lines["theme"], "aaa") << "a stored theme that no longer exists gives the first one";
}

TEST(ApplicationTest, ParsedFormGetsHotkeysAndHidesTheOtherPlatform) {
  auto lines = RunApplication("configure");
  EXPECT_EQ(lines["fileInfo"], "Ctrl+I");
  EXPECT_EQ(lines["exit"], "Alt+F4; Ctrl+Q") << "the hidden macOS Quit holding Ctrl+Q clashes with nothing";
  EXPECT_EQ(lines["clashing"], "") << "Ctrl+I belongs to the visible file-information action already";
  EXPECT_EQ(lines["macMenuVisible"], "0");
  EXPECT_EQ(lines["macQuitVisible"], "0");
  EXPECT_EQ(lines["macLanguageVisible"], "0");
  EXPECT_EQ(lines["showAllVisible"], "0");
  EXPECT_EQ(lines["settingsVisible"], "1");
  EXPECT_EQ(lines["languages"], "en*,de");
  EXPECT_EQ(lines["localeAfterChoice"], "de");
  EXPECT_EQ(lines["lookAndFeelLocale"], "de");
}

TEST(ApplicationTest, ExceptionFromAnEventHandlerEndsTheLoopWithOneAndIsKept) {
  auto lines = RunApplication("notify");
  EXPECT_EQ(lines["exitCode"], "1");
  EXPECT_EQ(lines["kept"], "first failure");
  EXPECT_EQ(lines["keptAfterTaking"], "0");
}

TEST(ApplicationTest, FailedSetUpUninitialisesTheComponentManager) {
  QTemporaryDir emptyResources;
  auto lines = RunApplication("fail", emptyResources.path());
  EXPECT_NE(lines["thrown"], "0");
  EXPECT_NE(lines["thrown"].find("localisation folder"), std::string::npos) << lines["thrown"];
  EXPECT_EQ(lines["coreInitialized"], "0");
  EXPECT_EQ(lines["lookAndFeelInstalled"], "0");
}

}  // namespace
