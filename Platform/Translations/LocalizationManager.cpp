#include "Platform/Translations/LocalizationManager.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/ComponentHub/CoreManager.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace Zentor {
namespace Core {
namespace {

// "de", "pt_BR": the language's name in itself, first letter capitalised as menus show it.
QString LanguageName(const QString& code) {
  static const QRegularExpression localeCode(QStringLiteral("^[a-z]{2,3}(_[A-Z]{2})?$"));
  if (!localeCode.match(code).hasMatch()) return {};
  const QLocale locale(code);
  if (locale.language() == QLocale::C) return {};
  QString name = locale.nativeLanguageName();
  // A bare code names the language, not its default territory's variant ("American English").
  if (!code.contains(QLatin1Char('_')) && name.contains(QLatin1Char(' ')))
    name = QLocale::languageToString(locale.language());
  if (!name.isEmpty()) name[0] = name[0].toUpper();
  return name;
}

class DomainTranslator : public ILocalizationManager {
 public:
  explicit DomainTranslator(std::string domain) : domain_(std::move(domain)) {}

  std::string Translate(const std::string& key) const override {
    const QString text = QCoreApplication::translate(domain_.c_str(), key.c_str());
    if (text != QString::fromUtf8(key.c_str())) return text.toStdString();
    const QString language = LanguageName(text);
    return language.isEmpty() ? key : language.toStdString();
  }

 private:
  std::string domain_;
};

}  // namespace

void LocalizationManager::LoadDomain(const std::string& domain) {
  const std::string folder = CoreManager::Instance().GetLocalizationPath();
  if (folder.empty()) ZENTOR_THROW_DESC(CoreException, "No localisation folder for the domain \"" + domain + "\"");
  if (!QFileInfo(QString::fromStdString(folder)).isDir())
    ZENTOR_THROW_DESC(CoreException, "The localisation folder \"" + folder + "\" does not exist");
  std::lock_guard<std::mutex> lock(mutex_);
  domains_.insert(domain);
}

bool LocalizationManager::IsDomainLoaded(const std::string& domain) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return domains_.count(domain) != 0;
}

LocalizationManager& GetLocalizationManager() {
  static LocalizationManager manager;
  return manager;
}

LocalizationManagerPtr GetLocalizationManagerForDomain(const std::string& domain) {
  return std::make_shared<DomainTranslator>(domain);
}

}  // namespace Core
}  // namespace Zentor
