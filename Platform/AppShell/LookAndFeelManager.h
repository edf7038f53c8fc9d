// Translations and themes from the resources folder: `<module>_<locale>.qm` files in the locales
// folder (Qt's own `qtbase_<locale>.qm` from Qt's translations folder for the module "qt") and
// `<theme>.qss` files in the themes folder.
#pragma once

#include "Platform/AppShell/ILookAndFeelManager.h"

#include <QTranslator>

#include <memory>

namespace Zentor {
namespace App {

class LookAndFeelManager : public ILookAndFeelManager {
 public:
  LookAndFeelManager(const std::string& resourcesFolder, const std::vector<std::string>& modules);
  ~LookAndFeelManager() override;

  void Initialize(const std::string& locale, const std::string& theme) override;

  std::vector<std::string> GetAvailableLocales() const override;
  std::vector<std::string> GetAvailableThemes() const override;
  std::string GetCurrentLocale() const override { return currentLocale_; }
  std::string GetCurrentTheme() const override { return currentTheme_; }
  QString GetStyleSheet() const override { return styleSheet_; }

  void SetCurrentLocale(const std::string& locale) override;

 private:
  QString LocalesFolder() const;
  QString ThemesFolder() const;
  void RemoveTranslators();

  QString resources_;
  std::vector<std::string> modules_;
  std::string currentLocale_;
  std::string currentTheme_;
  QString styleSheet_;
  std::vector<std::unique_ptr<QTranslator>> translators_;
};

}  // namespace App
}  // namespace Zentor
