#include "Platform/MenuActions/LookAndFeelActionHandler.h"

#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/Translations/LocalizationManager.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace Zentor {
namespace App {
namespace {

// Marks a menu this handler filled, so a form parsed twice does not get its lists twice.
const char* const FILLED = "lafMenuFilled";

}  // namespace

const char* const LookAndFeelActionHandler::LAF_MENU = "lafMenu";

LookAndFeelActionHandler::LookAndFeelActionHandler(LookAndFeelManagerPtr lookAndFeel, QObject* parent)
    : ActionHandler(parent), lookAndFeel_(std::move(lookAndFeel)) {}

void LookAndFeelActionHandler::handleMenu(QMenu* menu) {
  if (lookAndFeel_.expired() || menu->property(FILLED).toBool()) return;
  const QString kind = menu->property(LAF_MENU).toString();
  if (kind == QLatin1String("locale"))
    FillLocales(menu);
  else if (kind == QLatin1String("theme"))
    FillThemes(menu);
  else
    return;
  menu->setProperty(FILLED, true);
}

void LookAndFeelActionHandler::FillLocales(QMenu* menu) {
  const LookAndFeelManagerPtr lookAndFeel = lookAndFeel_.lock();
  const Core::LocalizationManagerPtr names = Core::GetLocalizationManagerForDomain(Core::CoreManager::MESSAGE_DOMAIN);
  const std::string current = lookAndFeel->GetCurrentLocale();
  auto* group = new QActionGroup(menu);
  for (const std::string& locale : lookAndFeel->GetAvailableLocales()) {
    QAction* action = menu->addAction(QString::fromStdString(names->Translate(locale)));
    action->setCheckable(true);
    action->setData(QString::fromStdString(locale));
    action->setChecked(locale == current);
    group->addAction(action);
    // `triggered`, not `toggled`: checking an entry from code (the preferences dialog does after
    // it switched the language itself) must not switch the language a second time.
    connect(action, &QAction::triggered, this, [this, locale] { OnLocaleChosen(locale); });
  }
  menu->addSeparator();
  QAction* more = menu->addAction(tr("More Languages..."));
  connect(more, &QAction::triggered, this, &LookAndFeelActionHandler::moreLanguagesClicked);
  localeMenus_.emplace_back(menu);
}

// The theme changes only at start; the list shows which one is in use.
void LookAndFeelActionHandler::FillThemes(QMenu* menu) {
  const LookAndFeelManagerPtr lookAndFeel = lookAndFeel_.lock();
  const std::string current = lookAndFeel->GetCurrentTheme();
  auto* group = new QActionGroup(menu);
  for (const std::string& theme : lookAndFeel->GetAvailableThemes()) {
    QAction* action = menu->addAction(QString::fromStdString(theme));
    action->setCheckable(true);
    action->setData(QString::fromStdString(theme));
    action->setChecked(theme == current);
    action->setEnabled(false);
    group->addAction(action);
  }
}

void LookAndFeelActionHandler::OnLocaleChosen(const std::string& locale) {
  const LookAndFeelManagerPtr lookAndFeel = lookAndFeel_.lock();
  if (!lookAndFeel) return;
  lookAndFeel->SetCurrentLocale(locale);
  // Every language list shows the language now in use.
  const QString code = QString::fromStdString(locale);
  for (const QPointer<QMenu>& menu : localeMenus_) {
    if (!menu) continue;
    for (QAction* action : menu->actions()) {
      if (action->isCheckable() && action->data().toString() == code) {
        action->setChecked(true);
        break;
      }
    }
  }
  emit localeChanged(locale);
}

}  // namespace App
}  // namespace Zentor
