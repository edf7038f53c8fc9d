// The look and feel of the program: its language (translators per module) and its theme (a
// style sheet), both found among the files installed with the program.
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace Zentor {
namespace App {

class ILookAndFeelManager {
 public:
  virtual ~ILookAndFeelManager() = default;

  // Picks the locale (an unknown or missing one falls back to the system's language, then to
  // English) and the theme, installs the translators and reads the style sheet.
  virtual void Initialize(const std::string& locale, const std::string& theme) = 0;

  virtual std::vector<std::string> GetAvailableLocales() const = 0;
  virtual std::vector<std::string> GetAvailableThemes() const = 0;
  virtual std::string GetCurrentLocale() const = 0;
  virtual std::string GetCurrentTheme() const = 0;
  virtual QString GetStyleSheet() const = 0;

  // Switches the running application's language; open widgets get Qt's language-change event.
  virtual void SetCurrentLocale(const std::string& locale) = 0;

  // Settings keys and their defaults.
  static const std::string locale;
  static const std::string theme;
  static const std::string localeUnknown;
  static const std::string themeDefault;

  // Folders below the resources folder: ROOT, then LOCALES for the .qm files, THEMES for .qss.
  static const std::string ROOT;
  static const std::string LOCALES;
  static const std::string THEMES;
  // The source language of every text; it needs no translation files.
  static const std::string SOURCE_LOCALE;
};

using LookAndFeelManagerPtr = std::shared_ptr<ILookAndFeelManager>;

// The look-and-feel manager of the running program, null until one is installed (the application
// object installs its own; tests may install theirs).
LookAndFeelManagerPtr LookAndFeel();
void SetLookAndFeel(LookAndFeelManagerPtr lookAndFeel);

}  // namespace App
}  // namespace Zentor
