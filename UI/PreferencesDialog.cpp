#include "UI/PreferencesDialog.h"

#include "ui_PreferencesDialog.h"

#include "GlimraCore/Settings.h"
#include "Platform/AppShell/Application.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/Translations/LocalizationManager.h"

#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace Zentor {
namespace Glimra {
namespace {

using App::ILookAndFeelManager;
using App::ISettingsManager;

// Fetched anew at every use: the application owns the store.
ISettingsManager& SettingsStore() { return App::Application::CurrentSettings(); }

}  // namespace

PreferencesDialog::PreferencesDialogSettings::PreferencesDialogSettings() {
  const ISettingsManager& store = SettingsStore();
  const std::string storedLocale = store.GetString(ILookAndFeelManager::locale, "");
  locale = {storedLocale, storedLocale};
  const bool storedAutoUpdate = store.GetBool(ISettingsManager::KEY_AUTOUPDATE, ISettingsManager::DEFAULT_AUTOUPDATE);
  autoUpdate = {storedAutoUpdate, storedAutoUpdate};
  const bool storedStatistics = store.GetBool(Settings::SEND_STATISTICS, Settings::SEND_STATISTICS_DEFAULT);
  sendStatistics = {storedStatistics, storedStatistics};
}

PreferencesDialog::PreferencesDialog(QMenu* localeMenu, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(new Ui_PreferencesDialog), localeMenu_(localeMenu) {
  ui->setupUi(this);

  QPushButton* ok = ui->buttonBox->addButton(QDialogButtonBox::Ok);
  ok->setProperty("type", "OK");
  QPushButton* cancel = ui->buttonBox->addButton(QDialogButtonBox::Cancel);
  cancel->setProperty("type", "Cancel");
  ui->buttonBox->layout()->setSpacing(20);

  if (const App::LookAndFeelManagerPtr lookAndFeel = App::LookAndFeel()) {
    const Core::LocalizationManagerPtr names =
        Core::GetLocalizationManagerForDomain(Core::CoreManager::MESSAGE_DOMAIN);
    for (const std::string& code : lookAndFeel->GetAvailableLocales())
      ui->comboBoxLanguages->addItem(QString::fromStdString(names->Translate(code)), QString::fromStdString(code));
  }
  ui->comboBoxLanguages->setCurrentIndex(ui->comboBoxLanguages->findData(
      QString::fromStdString(settings_.locale.current), Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
  ui->checkBoxAutoUpdate->setChecked(settings_.autoUpdate.current);
  ui->checkBoxSendStatistics->setChecked(settings_.sendStatistics.current);

  // Connected only now: filling the list and setting the initial states leave the values as read.
  connect(ui->comboBoxLanguages, &QComboBox::currentIndexChanged, this, &PreferencesDialog::OnLanguageChanged);
  connect(ui->checkBoxAutoUpdate, &QCheckBox::toggled, this, &PreferencesDialog::OnAutoUpdateChanged);
  connect(ui->checkBoxSendStatistics, &QCheckBox::toggled, this, &PreferencesDialog::OnSendStatisticsChanged);
  connect(this, &QDialog::accepted, this, &PreferencesDialog::OnAccepted);

  // The style sheet reads the buttons' "type" only after a new polish.
  for (QAbstractButton* button : ui->buttonBox->buttons()) {
    style()->unpolish(button);
    style()->polish(button);
  }
  ensurePolished();
  adjustSize();
  setFixedSize(size());
}

PreferencesDialog::~PreferencesDialog() { delete ui; }

void PreferencesDialog::OnLanguageChanged(int index) {
  settings_.locale.current = ui->comboBoxLanguages->itemData(index, Qt::UserRole).toString().toStdString();
}

void PreferencesDialog::OnAutoUpdateChanged(bool checked) { settings_.autoUpdate.current = checked; }

void PreferencesDialog::OnSendStatisticsChanged(bool checked) { settings_.sendStatistics.current = checked; }

void PreferencesDialog::OnAccepted() {
  if (settings_.locale.Changed()) {
    const std::string& locale = settings_.locale.current;
    SettingsStore().SetString(ILookAndFeelManager::locale, locale);
    if (const App::LookAndFeelManagerPtr lookAndFeel = App::LookAndFeel()) lookAndFeel->SetCurrentLocale(locale);
    if (localeMenu_) {
      const QString code = QString::fromStdString(locale);
      for (QAction* action : localeMenu_->actions()) {
        if (action->data().toString() != code) continue;
        // setChecked, not trigger: the language is switched already.
        if (!action->isChecked()) action->setChecked(true);
        break;
      }
    }
    emit languageChanged(locale);
  }
  if (settings_.autoUpdate.Changed()) {
    SettingsStore().SetBool(ISettingsManager::KEY_AUTOUPDATE, settings_.autoUpdate.current);
    emit autoUpdateChanged(settings_.autoUpdate.current);
  }
  if (settings_.sendStatistics.Changed()) {
    SettingsStore().SetBool(Settings::SEND_STATISTICS, settings_.sendStatistics.current);
    emit sendStatisticsChanged(settings_.sendStatistics.current);
  }
}

void PreferencesDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
}

}  // namespace Glimra
}  // namespace Zentor
