#include "Platform/AppShell/CustomizationManager.h"

#include "Platform/AppShell/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QWidget>

#include <glog/logging.h>

#include <cstdlib>

namespace Zentor {
namespace App {

const std::string CustomizationManager::TRACKER_INITIALIZATION_STRING = "TRACKER_INIT";

namespace {
constexpr qint64 MAX_ICON_BYTES = 16 << 20;
const char* const CUSTOM_SETTINGS_FILE = "ZentorGlimraCustom.ini";
const char* const RESOURCES_VARIABLE = "GLIMRA_RESOURCES_DIR";

bool HoldsResources(const QString& folder) {
  return QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(CUSTOM_SETTINGS_FILE));
}
}  // namespace

std::string GetPathToResources() {
  if (const char* overridden = std::getenv(RESOURCES_VARIABLE); overridden && *overridden) return overridden;
  const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/glimra"));
  if (HoldsResources(installed)) return installed.toStdString();
#ifdef GLIMRA_BUILD_RESOURCES_DIR
  if (HoldsResources(QStringLiteral(GLIMRA_BUILD_RESOURCES_DIR))) return GLIMRA_BUILD_RESOURCES_DIR;
#endif
  LOG(WARNING) << "No resources folder found; looked for " << installed.toStdString();
  return installed.toStdString();
}

CustomizationManager::CustomizationManager(const std::string& resourcesFolder, const std::string& executableName)
    : resources_(resourcesFolder), executable_(executableName) {}

void CustomizationManager::InitSettings() {
  values_.clear();
  const QString path = QString::fromStdString(resources_) + QLatin1Char('/') +
                       QString::fromStdString(GetCustomSettingsFileName());
  if (!QFileInfo::exists(path)) {
    LOG(WARNING) << "Custom settings file not found: " << path.toStdString();
    return;
  }
  if (!QFileInfo(path).isFile()) {
    LOG(WARNING) << "The custom settings file is not a regular file: " << path.toStdString();
    return;
  }
  const QSettings file(path, QSettings::IniFormat);
  for (const QString& key : file.allKeys()) {
    // An unquoted value with commas reads as a list; the customisation wants the text.
    const QVariant value = file.value(key);
    values_[key.toStdString()] = (value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(", "))
                                                                            : value.toString())
                                     .toStdString();
  }
}

void CustomizationManager::SetCurrentLocale(const std::string& locale) { locale_ = locale; }

bool CustomizationManager::GetValue(const std::string& name, std::string& value) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return false;
  value = found->second;
  return true;
}

bool CustomizationManager::GetValueWithLocale(const std::string& name, std::string& value) const {
  if (!locale_.empty() && GetValue(locale_ + "/" + name, value)) return true;
  return GetValue(name, value);
}

std::string CustomizationManager::GetValueWithDefault(const std::string& name, const std::string& defaultValue) const {
  std::string value;
  return GetValue(name, value) ? value : defaultValue;
}

std::string CustomizationManager::GetProductName(bool full) const {
  const std::string shortName = GetValueWithDefault("PRODUCT_NAME", "Glimra");
  return full ? GetValueWithDefault("PRODUCT_NAME_FULL", shortName) : shortName;
}

// The settings file, the session folders and the usage log are named after these; a name with
// a folder in it could put them anywhere.
std::string CustomizationManager::GetPlainName(const std::string& name, const std::string& defaultValue) const {
  const std::string value = GetValueWithDefault(name, defaultValue);
  const bool plain = !value.empty() && value != "." && value != ".." &&
                     value.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
  if (plain || value == defaultValue) return value;
  LOG(WARNING) << "The customisation value " << name << " \"" << value << "\" is not a plain name; \"" << defaultValue
               << "\" is used";
  return defaultValue;
}

std::string CustomizationManager::GetOrganizationName() const { return GetPlainName("ORGANIZATION_NAME", "Zentor"); }

std::string CustomizationManager::GetAppSettingsName() const { return GetPlainName("APP_SETTINGS_NAME", "Glimra"); }

std::string CustomizationManager::GetProductSettingsPath() const { return GetPlainName("PRODUCT_SETTINGS_PATH", ""); }

int CustomizationManager::GetInt(const std::string& name) const {
  bool ok = false;
  const int value = QString::fromStdString(GetValueWithDefault(name, "0")).toInt(&ok);
  return ok ? value : 0;
}

int CustomizationManager::GetProductVersionMajor() const { return GetInt("VERSION_MAJOR"); }

int CustomizationManager::GetProductVersionMinor() const { return GetInt("VERSION_MINOR"); }

bool CustomizationManager::BuildIsSE() const {
  const QString value = QString::fromStdString(GetValueWithDefault("BUILD_SE", "false")).trimmed().toLower();
  return value == QLatin1String("true") || value == QLatin1String("1");
}

void CustomizationManager::UpdateControls(QWidget* window) const {
  if (!window) return;
  const QPixmap icon = GetApplicationIcon();
  if (!icon.isNull()) window->setWindowIcon(QIcon(icon));
}

std::string CustomizationManager::GetApplicationTitle() const {
  std::string title;
  GetValueWithLocale("APP_TITLE", title);
  if (title.empty()) title = GetOrganizationName() + " " + GetProductName(true);
  return title;
}

QPixmap CustomizationManager::GetApplicationIcon() const {
  const QString path = QString::fromStdString(GetValueWithDefault("APP_ICON", ""));
  if (path.isEmpty()) return QPixmap();
  QByteArray bytes;
  const FileReadResult result = ReadRegularFile(path, MAX_ICON_BYTES, bytes);
  QPixmap icon;
  if (result != FileReadResult::Read) {
    LOG(WARNING) << "The application icon " << path.toStdString() << " " << DescribeFileRead(result);
  } else if (!icon.loadFromData(bytes)) {
    LOG(WARNING) << "The application icon " << path.toStdString() << " is not a picture";
  }
  return icon;
}

std::string CustomizationManager::GetCustomSettingsFileName() const { return CUSTOM_SETTINGS_FILE; }

}  // namespace App
}  // namespace Zentor
