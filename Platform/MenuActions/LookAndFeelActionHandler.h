// Fills the menus that carry the "lafMenu" property: "locale" with one checkable entry per
// available language (its locale code as the action data) and a "More Languages..." entry,
// "theme" with the available themes. Choosing a language switches the application's language.
#pragma once

#include "Platform/AppShell/ILookAndFeelManager.h"
#include "Platform/MenuActions/ActionHandler.h"

#include <QPointer>

#include <memory>
#include <string>
#include <vector>

namespace Zentor {
namespace App {

class LookAndFeelActionHandler : public ActionHandler {
  Q_OBJECT

 public:
  explicit LookAndFeelActionHandler(LookAndFeelManagerPtr lookAndFeel, QObject* parent = nullptr);

  void handleMenu(QMenu* menu) override;

  static const char* const LAF_MENU;

 signals:
  void localeChanged(std::string locale);
  void moreLanguagesClicked();

 private:
  void FillLocales(QMenu* menu);
  void FillThemes(QMenu* menu);
  void OnLocaleChosen(const std::string& locale);

  // Not owned: the manager goes with the application, before the handlers do, and takes its
  // translators out while the application still exists.
  std::weak_ptr<ILookAndFeelManager> lookAndFeel_;
  std::vector<QPointer<QMenu>> localeMenus_;
};

}  // namespace App
}  // namespace Zentor
