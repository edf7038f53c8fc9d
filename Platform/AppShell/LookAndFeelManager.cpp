#include "Platform/AppShell/LookAndFeelManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace App {

const std::string ILookAndFeelManager::locale = "locale";
const std::string ILookAndFeelManager::theme = "theme";
const std::string ILookAndFeelManager::localeUnknown = "";
const std::string ILookAndFeelManager::themeDefault = "default";
const std::string ILookAndFeelManager::ROOT = ".";
const std::string ILookAndFeelManager::LOCALES = "translations";
const std::string ILookAndFeelManager::THEMES = "themes";
const std::string ILookAndFeelManager::SOURCE_LOCALE = "en";

namespace {
const char* const QT_MODULE = "qt";

QString Join(const QString& folder, const std::string& part) {
  return QDir::cleanPath(folder + QLatin1Char('/') + QString::fromStdString(part));
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

LookAndFeelManagerPtr& Installed() {
  static LookAndFeelManagerPtr installed;
  return installed;
}
}  // namespace

LookAndFeelManagerPtr LookAndFeel() { return Installed(); }

void SetLookAndFeel(LookAndFeelManagerPtr lookAndFeel) { Installed() = std::move(lookAndFeel); }

LookAndFeelManager::LookAndFeelManager(const std::string& resourcesFolder, const std::vector<std::string>& modules)
    : resources_(QString::fromStdString(resourcesFolder)), modules_(modules), currentLocale_(SOURCE_LOCALE) {}

LookAndFeelManager::~LookAndFeelManager() { RemoveTranslators(); }

QString LookAndFeelManager::LocalesFolder() const { return Join(Join(resources_, ROOT), LOCALES); }

QString LookAndFeelManager::ThemesFolder() const { return Join(Join(resources_, ROOT), THEMES); }

std::vector<std::string> LookAndFeelManager::GetAvailableLocales() const {
  std::vector<std::string> found;
  const QDir folder(LocalesFolder());
  for (const std::string& module : modules_) {
    if (module == QT_MODULE) continue;
    const QString prefix = QString::fromStdString(module).toLower() + QLatin1Char('_');
    for (const QString& file : folder.entryList({prefix + QStringLiteral("*.qm")}, QDir::Files)) {
      const std::string code = file.mid(prefix.size(), file.size() - prefix.size() - 3).toStdString();
      if (!code.empty() && !Contains(found, code)) found.push_back(code);
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::remove(found.begin(), found.end(), SOURCE_LOCALE), found.end());
  found.insert(found.begin(), SOURCE_LOCALE);
  return found;
}

std::vector<std::string> LookAndFeelManager::GetAvailableThemes() const {
  std::vector<std::string> themes;
  for (const QFileInfo& file : QDir(ThemesFolder()).entryInfoList({QStringLiteral("*.qss")}, QDir::Files, QDir::Name))
    themes.push_back(file.completeBaseName().toStdString());
  return themes;
}

void LookAndFeelManager::Initialize(const std::string& requestedLocale, const std::string& requestedTheme) {
  const std::vector<std::string> locales = GetAvailableLocales();
  std::string chosen = requestedLocale;
  if (!Contains(locales, chosen)) {
    if (chosen != localeUnknown) LOG(WARNING) << "The stored locale \"" << chosen << "\" has no translation";
    const QLocale system = QLocale::system();
    const std::string full = system.name().toStdString();
    const std::string language = full.substr(0, full.find('_'));
    chosen = Contains(locales, full) ? full : Contains(locales, language) ? language : SOURCE_LOCALE;
  }
  // Force the translators in even when the chosen locale is the one set at construction.
  currentLocale_.clear();
  SetCurrentLocale(chosen);

  currentTheme_ = requestedTheme;
  styleSheet_.clear();
  QFile sheet(ThemesFolder() + QLatin1Char('/') + QString::fromStdString(requestedTheme) + QStringLiteral(".qss"));
  if (sheet.open(QIODevice::ReadOnly | QIODevice::Text))
    styleSheet_ = QString::fromUtf8(sheet.readAll());
  else
    LOG(WARNING) << "No style sheet for the theme: " << requestedTheme;
}

void LookAndFeelManager::RemoveTranslators() {
  for (const auto& translator : translators_) QCoreApplication::removeTranslator(translator.get());
  translators_.clear();
}

void LookAndFeelManager::SetCurrentLocale(const std::string& newLocale) {
  if (newLocale == currentLocale_) return;
  if (!Contains(GetAvailableLocales(), newLocale)) {
    LOG(WARNING) << "No translation for the locale: " << newLocale;
    return;
  }
  RemoveTranslators();
  currentLocale_ = newLocale;
  // Numbers and dates in the language's own forms; the system's country where it speaks that
  // language (en_GB keeps its dates).
  const QLocale language(QString::fromStdString(newLocale));
  QLocale::setDefault(QLocale::system().language() == language.language() ? QLocale::system() : language);

  // The source language has translations too: the texts of message keys that are not English
  // ("allImages"); Qt's own texts are English already.
  const QString code = QString::fromStdString(newLocale);
  for (const std::string& module : modules_) {
    if (newLocale == SOURCE_LOCALE && module == QT_MODULE) continue;
    auto translator = std::make_unique<QTranslator>();
    const bool loaded =
        module == QT_MODULE
            ? translator->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))
            : translator->load(QString::fromStdString(module).toLower() + QLatin1Char('_') + code, LocalesFolder());
    // Modules without texts of their own have no file; that is not a failure.
    if (loaded && QCoreApplication::installTranslator(translator.get())) translators_.push_back(std::move(translator));
  }
}

}  // namespace App
}  // namespace Zentor
