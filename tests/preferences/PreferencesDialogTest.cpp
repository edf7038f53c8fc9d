#include "support/ProgramTestSupport.h"

#include "GlimraCore/Settings.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/MenuActions/ActionParser.h"
#include "Platform/MenuActions/LookAndFeelActionHandler.h"
#include "UI/PreferencesDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "Platform/Widgets/ExtendedLabel.h"

#include <map>
#include <string>
#include <variant>
#include <vector>

namespace {

using Zentor::App::ISettingsManager;
using Zentor::Glimra::PreferencesDialog;

// A settings store that records every write.
class RecordingSettings : public ISettingsManager {
 public:
  std::map<std::string, std::variant<std::string, bool>> values;
  std::vector<std::string> writes;

  std::string GetString(const std::string& key, const std::string& fallback) const override {
    const auto found = values.find(key);
    return found == values.end() ? fallback : std::get<std::string>(found->second);
  }
  bool GetBool(const std::string& key, bool fallback) const override {
    const auto found = values.find(key);
    return found == values.end() ? fallback : std::get<bool>(found->second);
  }
  int64_t GetInt64(const std::string&, int64_t fallback) const override { return fallback; }
  double GetDouble(const std::string&, double fallback) const override { return fallback; }
  std::vector<uint8_t> GetBytes(const std::string&, const std::vector<uint8_t>& fallback) const override {
    return fallback;
  }
  void SetString(const std::string& key, const std::string& value) override { Write(key, value); }
  void SetBool(const std::string& key, bool value) override { Write(key, value); }
  void SetInt64(const std::string& key, int64_t) override { writes.push_back(key); }
  void SetDouble(const std::string& key, double) override { writes.push_back(key); }
  void SetBytes(const std::string& key, const std::vector<uint8_t>&) override { writes.push_back(key); }
  bool Contains(const std::string& key) const override { return values.count(key) != 0; }
  void Remove(const std::string& key) override { values.erase(key); }

 private:
  void Write(const std::string& key, std::variant<std::string, bool> value) {
    values[key] = std::move(value);
    writes.push_back(key);
  }
};

class FakeLookAndFeel : public Zentor::App::ILookAndFeelManager {
 public:
  std::string current = "en";
  std::vector<std::string> localesSet;

  void Initialize(const std::string&, const std::string&) override {}
  std::vector<std::string> GetAvailableLocales() const override { return {"en", "de", "fr"}; }
  std::vector<std::string> GetAvailableThemes() const override { return {"default"}; }
  std::string GetCurrentLocale() const override { return current; }
  std::string GetCurrentTheme() const override { return "default"; }
  QString GetStyleSheet() const override { return {}; }
  void SetCurrentLocale(const std::string& locale) override {
    localesSet.push_back(locale);
    current = locale;
  }
};

class PreferencesDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    settings_->values["locale"] = std::string("en");
    Zentor::App::SetAppSettings(settings_);
    Zentor::App::SetLookAndFeel(lookAndFeel_);
    // The language menu as the main window gets it: filled by the look-and-feel handler.
    menu_.setProperty(Zentor::App::LookAndFeelActionHandler::LAF_MENU, "locale");
    parser_.addHandler(new Zentor::App::LookAndFeelActionHandler(lookAndFeel_));
    parser_.parseMenu(&menu_);
    dialog_ = std::make_unique<PreferencesDialog>(&menu_, nullptr, Qt::Dialog);
  }

  void TearDown() override {
    dialog_.reset();
    Zentor::App::SetLookAndFeel(nullptr);
    Zentor::App::SetAppSettings(nullptr);
  }

  template <class T>
  T* Find(const char* name) const {
    return dialog_->findChild<T*>(QLatin1String(name));
  }
  void PressOk() { Find<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Ok)->click(); }
  QStringList CheckedInMenu() const {
    QStringList checked;
    for (QAction* action : menu_.actions())
      if (action->isChecked()) checked << action->data().toString();
    return checked;
  }

  std::shared_ptr<RecordingSettings> settings_ = std::make_shared<RecordingSettings>();
  std::shared_ptr<FakeLookAndFeel> lookAndFeel_ = std::make_shared<FakeLookAndFeel>();
  QMenu menu_;
  Zentor::App::ActionParser parser_;
  std::unique_ptr<PreferencesDialog> dialog_;
};

TEST_F(PreferencesDialogTest, OkWithoutChangeOrCancelAfterChangesWritesNothing) {
  QComboBox* languages = Find<QComboBox>("comboBoxLanguages");
  ASSERT_EQ(languages->count(), 3);
  EXPECT_EQ(languages->itemText(1), "Deutsch");
  EXPECT_EQ(languages->currentIndex(), 0);
  EXPECT_TRUE(Find<QCheckBox>("checkBoxSendStatistics")->isChecked()) << "statistics are sent by default";
  EXPECT_EQ(dialog_->width(), 350);

  QSignalSpy language(dialog_.get(), &PreferencesDialog::languageChanged);
  QSignalSpy update(dialog_.get(), &PreferencesDialog::autoUpdateChanged);
  QSignalSpy statistics(dialog_.get(), &PreferencesDialog::sendStatisticsChanged);
  PressOk();
  EXPECT_TRUE(settings_->writes.empty());
  EXPECT_EQ(language.count() + update.count() + statistics.count(), 0);

  // A new dialog, changes, then Cancel.
  dialog_ = std::make_unique<PreferencesDialog>(&menu_, nullptr, Qt::Dialog);
  Find<QComboBox>("comboBoxLanguages")->setCurrentIndex(2);
  Find<QCheckBox>("checkBoxAutoUpdate")->click();
  Find<QDialogButtonBox>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
  EXPECT_TRUE(settings_->writes.empty());
  EXPECT_TRUE(lookAndFeel_->localesSet.empty());
}

TEST_F(PreferencesDialogTest, TogglingTwiceAndPickingTheFirstLanguageAgainWritesNothing) {
  // A click on the text beside a check box toggles it.
  auto* label = Find<Zentor::Gui::ExtendedLabel>("sendStatisticsLabel");
  QCheckBox* statistics = Find<QCheckBox>("checkBoxSendStatistics");
  QTest::mouseClick(label, Qt::LeftButton);
  EXPECT_FALSE(statistics->isChecked());
  QTest::mouseClick(label, Qt::LeftButton);
  Find<QCheckBox>("checkBoxAutoUpdate")->click();
  Find<QCheckBox>("checkBoxAutoUpdate")->click();
  Find<QComboBox>("comboBoxLanguages")->setCurrentIndex(1);
  Find<QComboBox>("comboBoxLanguages")->setCurrentIndex(0);
  PressOk();
  EXPECT_TRUE(settings_->writes.empty());
  EXPECT_TRUE(lookAndFeel_->localesSet.empty());
}

TEST_F(PreferencesDialogTest, StatisticsOffIsWrittenAndEmittedOnce) {
  QSignalSpy statistics(dialog_.get(), &PreferencesDialog::sendStatisticsChanged);
  Find<QCheckBox>("checkBoxSendStatistics")->click();
  PressOk();
  EXPECT_EQ(settings_->writes, std::vector<std::string>{Zentor::Glimra::Settings::SEND_STATISTICS});
  EXPECT_FALSE(settings_->GetBool("sendStatistics", true));
  ASSERT_EQ(statistics.count(), 1);
  EXPECT_FALSE(statistics.at(0).at(0).toBool());
}

TEST_F(PreferencesDialogTest, NewLanguageIsSetOnceAndChecksOneMenuEntry) {
  QSignalSpy language(dialog_.get(), &PreferencesDialog::languageChanged);
  Find<QComboBox>("comboBoxLanguages")->setCurrentIndex(1);
  PressOk();
  EXPECT_EQ(settings_->writes, std::vector<std::string>{"locale"});
  EXPECT_EQ(settings_->GetString("locale", ""), "de");
  // Checking the menu entry must not switch the language a second time.
  EXPECT_EQ(lookAndFeel_->localesSet, std::vector<std::string>{"de"});
  EXPECT_EQ(CheckedInMenu(), QStringList{"de"});
  EXPECT_EQ(language.count(), 1);
}

}  // namespace
