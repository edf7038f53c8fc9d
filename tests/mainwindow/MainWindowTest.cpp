// The window as built from its form: shortcuts and platform entries after parsing, placement,
// the use of controls, the tool actions and a language change.
#include "MainWindowTestSupport.h"

#include "Customization/SettingsName.h"
#include "Platform/AppShell/SettingsManager.h"
#include "UI/SimpleEffectsWidget.h"

#include <QAction>
#include <QActionGroup>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSignalSpy>
#include <QTranslator>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using Zentor::Glimra::MainWindow;

const char* const PLACEMENT[] = {"Geometry", "State", "OffsetX", "OffsetY", "Width", "Height", "Maximized"};

struct MainWindowTest : testing::Test {
  MainWindowTest() {
    for (const char* word : PLACEMENT) Zentor::App::AppSettings().Remove(std::string("MainWindow") + word);
  }
  static QAction* Action(const QWidget& window, const char* name) { return window.findChild<QAction*>(name); }
};

TEST_F(MainWindowTest, VisibleActionsShareNoShortcutAndMacEntriesAreHidden) {
  MainWindow window;
  std::map<QKeySequence, QString> holders;
  for (QAction* action : window.findChildren<QAction*>()) {
    if (!action->isVisible()) continue;
    for (const QKeySequence& key : action->shortcuts()) {
      const auto [holder, fresh] = holders.emplace(key, action->objectName());
      EXPECT_TRUE(fresh) << key.toString().toStdString() << ": " << holder->second.toStdString() << " and "
                         << action->objectName().toStdString();
    }
  }
  for (const char* mac : {"action_About", "action_Check_for_Updates", "action_Preferences", "action_Quit",
                          "action_Hide_Zentor_Glimra", "action_Hide_Others"}) {
    EXPECT_FALSE(Action(window, mac)->isVisible()) << mac;
  }
  EXPECT_FALSE(window.findChild<QMenu*>("menuMac")->menuAction()->isVisible());
  EXPECT_TRUE(Action(window, "actionFile_information")->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+I"))));
  const QList<QKeySequence> exitKeys = Action(window, "actionExit")->shortcuts();
  EXPECT_TRUE(exitKeys.contains(QKeySequence(QStringLiteral("Ctrl+Q"))));
  EXPECT_TRUE(exitKeys.contains(QKeySequence(QStringLiteral("Alt+F4"))));
}

// Entries a menu can show: visible ones other than separators, submenus only when they have such.
int ShownEntries(const QMenu* menu) {
  int shown = 0;
  for (const QAction* action : menu->actions()) {
    if (!action->isVisible() || action->isSeparator()) continue;
    if (!action->menu() || ShownEntries(action->menu()) > 0) ++shown;
  }
  return shown;
}

TEST_F(MainWindowTest, NoVisibleMenuOpensEmpty) {
  MainWindow window;
  for (const QMenu* menu : window.findChildren<QMenu*>()) {
    if (!menu->menuAction()->isVisible()) continue;
    EXPECT_GT(ShownEntries(menu), 0) << menu->objectName().toStdString();
  }
  EXPECT_FALSE(window.findChild<QMenu*>("menuTheme")->menuAction()->isVisible());
  EXPECT_TRUE(window.findChild<QMenu*>("menuSettings")->menuAction()->isVisible());
}

TEST_F(MainWindowTest, TheWinTwinsOfTheApplicationMenuAreConnected) {
  MainWindow window;
  QSignalSpy preferences(&window, &MainWindow::showPreferencesDialog);
  QSignalSpy updates(&window, &MainWindow::checkForUpdateRequested);
  Action(window, "actionPreferences")->trigger();
  Action(window, "actionCheck_for_Updates")->trigger();
  EXPECT_EQ(preferences.count(), 1);
  EXPECT_EQ(updates.count(), 1);
  window.show();
  Action(window, "actionExit")->trigger();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, PlacementRoundTripsThroughTheSwappedKeys) {
  {
    MainWindow window;
    window.show();
    window.setGeometry(20, 10, 760, 560);
  }
  Zentor::App::ISettingsManager& store = Zentor::App::AppSettings();
  EXPECT_EQ(store.GetInt64("MainWindowOffsetX", -1), 10);
  EXPECT_EQ(store.GetInt64("MainWindowOffsetY", -1), 20);
  EXPECT_EQ(store.GetInt64("MainWindowWidth", -1), 560);
  EXPECT_EQ(store.GetInt64("MainWindowHeight", -1), 760);
  EXPECT_FALSE(store.GetBool("MainWindowMaximized", true));

  // The stored offsets and sizes win over the geometry bytes.
  store.SetInt64("MainWindowOffsetX", 30);
  store.SetInt64("MainWindowHeight", 770);
  MainWindow window;
  EXPECT_EQ(window.normalGeometry(), QRect(20, 30, 770, 560));
}

TEST_F(MainWindowTest, ADamagedOrOffScreenStoredPlacementIsNotUsed) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  { MainWindow window; }
  Zentor::App::ISettingsManager& store = Zentor::App::AppSettings();
  // Narrowed to int, -2147483649 is 2147483647: a window far larger than any screen.
  store.SetInt64("MainWindowWidth", -2147483649LL);
  store.SetInt64("MainWindowHeight", -2147483649LL);
  {
    TestSupport::LogCapture log(google::GLOG_WARNING);
    MainWindow window;
    EXPECT_TRUE(screen.contains(window.normalGeometry())) << window.normalGeometry().width();
    const std::vector<std::string> warnings = log.Texts(google::GLOG_WARNING);
    EXPECT_EQ(std::count_if(warnings.begin(), warnings.end(),
                            [](const std::string& line) { return line.find("window placement") != std::string::npos; }),
              1);
  }
  store.SetInt64("MainWindowOffsetX", -50000);
  store.SetInt64("MainWindowOffsetY", 10);
  store.SetInt64("MainWindowWidth", 560);
  store.SetInt64("MainWindowHeight", 760);
  MainWindow window;
  EXPECT_TRUE(screen.contains(window.normalGeometry())) << window.normalGeometry().top();
}

TEST_F(MainWindowTest, FirstStartTakesTheLayoutSizeAndAZeroStoredSizeIsIgnored) {
  {
    MainWindow window;
    EXPECT_FALSE(window.isMaximized());
    EXPECT_GE(window.width(), 750);
    window.setGeometry(40, 50, 820, 640);
  }
  Zentor::App::AppSettings().SetInt64("MainWindowWidth", 0);
  MainWindow window;
  EXPECT_EQ(window.normalGeometry().size(), QSize(820, 640));
}

TEST_F(MainWindowTest, AStoredMaximizedWindowShowsMaximizedOnce) {
  { MainWindow window; }
  Zentor::App::AppSettings().SetBool("MainWindowMaximized", true);
  MainWindow window;
  QSignalSpy shown(&window, &MainWindow::showToParent);
  EXPECT_FALSE(window.isMaximized());
  window.show();
  EXPECT_TRUE(window.isMaximized());
  window.showNormal();
  window.hide();
  window.show();
  EXPECT_FALSE(window.isMaximized());
  EXPECT_EQ(shown.count(), 2);
}

TEST_F(MainWindowTest, ControlUseIsSignalledExceptForZoom) {
  MainWindow window;
  QSignalSpy used(&window, &MainWindow::uiControlUsed);
  QSignalSpy faq(&window, &MainWindow::faqRequested);
  Action(window, "actionFAQ")->trigger();
  EXPECT_EQ(faq.count(), 1);
  EXPECT_EQ(used.count(), 1);
  for (const char* zoom : {"actionZoom_in", "actionZoom_out", "actionActual_size", "actionFit_to_screen"}) {
    Action(window, zoom)->setEnabled(true);
    Action(window, zoom)->trigger();
  }
  const QList<QScrollBar*> scrollBars = window.findChildren<QScrollBar*>();
  ASSERT_FALSE(scrollBars.isEmpty());
  for (QScrollBar* bar : scrollBars) emit bar->sliderPressed();
  EXPECT_EQ(used.count(), 1);
  auto* sensitivity = window.findChild<QSlider*>("sensitivitySlider");
  ASSERT_NE(sensitivity, nullptr);
  emit sensitivity->sliderPressed();
  EXPECT_EQ(used.count(), 2);
}

TEST_F(MainWindowTest, CropOnUnchecksTheSelectionToolAndCropOffChangesNothing) {
  MainWindow window;
  QAbstractButton* crop = window.findChild<Zentor::Glimra::SimpleEffectsWidget*>()->GetCropImageControl();
  ASSERT_TRUE(crop->isCheckable());
  Action(window, "actionWand")->trigger();
  EXPECT_TRUE(Action(window, "actionWand")->isChecked());
  EXPECT_FALSE(Action(window, "actionBrush")->isChecked());
  crop->setChecked(true);
  for (const char* tool : {"actionBrush", "actionLasso", "actionWand", "actionClear", "actionClone"}) {
    EXPECT_FALSE(Action(window, tool)->isChecked()) << tool;
  }
  Action(window, "actionClone")->trigger();
  crop->setChecked(false);
  EXPECT_TRUE(Action(window, "actionClone")->isChecked());
}

class MenuTranslator : public QTranslator {
 public:
  QString translate(const char* context, const char* text, const char*, int) const override {
    if (QLatin1String(context) != QLatin1String("MainWindow")) return QString();
    if (QLatin1String(text) == QLatin1String("File")) return QStringLiteral("Datei");
    if (QLatin1String(text) == QLatin1String("Exit")) return QStringLiteral("Beenden");
    return QString();
  }
  bool isEmpty() const override { return false; }
};

TEST_F(MainWindowTest, ALanguageChangeRetranslatesTheMenusAndKeepsTheQuitKeys) {
  MainWindow window;
  MenuTranslator translator;
  QCoreApplication::installTranslator(&translator);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.findChild<QMenu*>("menuFile")->title(), QStringLiteral("Datei"));
  EXPECT_EQ(Action(window, "actionExit")->text(), QStringLiteral("Beenden"));
  EXPECT_TRUE(Action(window, "actionExit")->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Q"))));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Glimra"));
  QCoreApplication::removeTranslator(&translator);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.findChild<QMenu*>("menuFile")->title(), QStringLiteral("File"));
}

}  // namespace
