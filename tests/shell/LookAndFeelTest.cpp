#include "support/ProgramTestSupport.h"

#include "Customization/ExtensionFormatHelper.h"
#include "Engine/BusyCursor.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LookAndFeelManager.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <stdexcept>

namespace {

using Zentor::App::ILookAndFeelManager;
using Zentor::App::LookAndFeelManager;

// Retranslates on Qt's language-change event, as the program's forms do.
class TranslatedLabel : public QLabel {
 public:
  TranslatedLabel() { Retranslate(); }
  void changeEvent(QEvent* event) override {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) Retranslate();
  }

 private:
  void Retranslate() { setText(QCoreApplication::translate("Zentor::App::AboutBoxDialog", "Home page")); }
};

LookAndFeelManager Manager() { return LookAndFeelManager(Zentor::App::GetPathToResources(), {"qt", "Glimra"}); }

TEST(LookAndFeelTest, FindsLocalesAndThemesOfTheInstalledFiles) {
  LookAndFeelManager manager = Manager();
  const std::vector<std::string> locales = manager.GetAvailableLocales();
  ASSERT_FALSE(locales.empty());
  EXPECT_EQ(locales.front(), "en");
  EXPECT_NE(std::find(locales.begin(), locales.end(), "de"), locales.end());
  const std::vector<std::string> themes = manager.GetAvailableThemes();
  EXPECT_NE(std::find(themes.begin(), themes.end(), ILookAndFeelManager::themeDefault), themes.end());

  // The test runs in the C locale, so an unknown locale falls back to English.
  manager.Initialize(ILookAndFeelManager::localeUnknown, ILookAndFeelManager::themeDefault);
  EXPECT_EQ(manager.GetCurrentLocale(), "en");
  EXPECT_FALSE(manager.GetStyleSheet().isEmpty());
  manager.Initialize("xx", "no-such-theme");
  EXPECT_EQ(manager.GetCurrentLocale(), "en");
  EXPECT_TRUE(manager.GetStyleSheet().isEmpty());
}

TEST(LookAndFeelTest, SwitchToGermanAndBackRetranslatesOpenWidgets) {
  LookAndFeelManager manager = Manager();
  manager.Initialize("en", ILookAndFeelManager::themeDefault);
  TranslatedLabel label;
  EXPECT_EQ(label.text(), "Home page");

  manager.SetCurrentLocale("de");
  TestSupport::Drain();
  EXPECT_EQ(manager.GetCurrentLocale(), "de");
  EXPECT_EQ(label.text(), "Startseite");
  // Numbers, sizes and dates follow the language.
  EXPECT_EQ(QLocale().toString(61.7), "61,7");
  EXPECT_EQ(QLocale().formattedDataSize(63181, 1, QLocale::DataSizeTraditionalFormat), "61,7 kB");
  // Qt's own texts come from its translations.
  EXPECT_EQ(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), "Abbrechen");

  manager.SetCurrentLocale("fr");
  EXPECT_EQ(manager.GetCurrentLocale(), "de") << "a locale without translations is refused";

  manager.SetCurrentLocale("en");
  TestSupport::Drain();
  EXPECT_EQ(label.text(), "Home page");
  EXPECT_EQ(QLocale().toString(61.7), "61.7");
}

// Message keys that are not English text ("allImages") have an English translation too, so the
// open dialog names its filter in words in either language.
TEST(LookAndFeelTest, MessageKeysReadAsWordsInEnglishAndGerman) {
  LookAndFeelManager manager = Manager();
  const std::string group = Zentor::Conf::IFormatFile::GROUP_ALL_IMAGES;
  manager.Initialize("en", ILookAndFeelManager::themeDefault);
  EXPECT_TRUE(Zentor::Glimra::ExtensionFormatHelper::GetExtFilterForGroup(group).startsWith("All Images ("));
  EXPECT_EQ(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(), "Cancel");

  manager.SetCurrentLocale("de");
  EXPECT_TRUE(Zentor::Glimra::ExtensionFormatHelper::GetExtFilterForGroup(group).startsWith("Alle Bilder ("));
  EXPECT_EQ(QCoreApplication::translate("core", "Unknown error"), "Unbekannter Fehler");

  manager.SetCurrentLocale("en");
  EXPECT_EQ(QCoreApplication::translate("core", "Unknown error"), "Unknown error");
}

TEST(BusyCursorTest, RestoredWhenTheScopeEndsByAnException) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  try {
    Zentor::Glimra::BusyCursor busy;
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    throw std::runtime_error("open failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
