#include "Platform/AppShell/SettingsManager.h"

#include <QByteArray>
#include <QFileInfo>

namespace Zentor {
namespace App {

const std::string ISettingsManager::KEY_AUTOUPDATE = "autoUpdate";
const bool ISettingsManager::DEFAULT_AUTOUPDATE = true;

namespace {
QString Key(const std::string& key) { return QString::fromStdString(key); }
}  // namespace

SettingsManager::SettingsManager(const std::string& settingsName, const std::string& organisation)
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QString::fromStdString(organisation),
                                            QString::fromStdString(settingsName))),
      existedBefore_(QFileInfo::exists(settings_->fileName())) {}

std::string SettingsManager::GetString(const std::string& key, const std::string& defaultValue) const {
  const QVariant value = settings_->value(Key(key));
  return value.isValid() ? value.toString().toStdString() : defaultValue;
}

bool SettingsManager::GetBool(const std::string& key, bool defaultValue) const {
  const QVariant value = settings_->value(Key(key));
  return value.isValid() ? value.toBool() : defaultValue;
}

int64_t SettingsManager::GetInt64(const std::string& key, int64_t defaultValue) const {
  bool ok = false;
  const qlonglong value = settings_->value(Key(key)).toLongLong(&ok);
  return ok ? value : defaultValue;
}

double SettingsManager::GetDouble(const std::string& key, double defaultValue) const {
  bool ok = false;
  const double value = settings_->value(Key(key)).toDouble(&ok);
  return ok ? value : defaultValue;
}

std::vector<uint8_t> SettingsManager::GetBytes(const std::string& key, const std::vector<uint8_t>& defaultValue) const {
  const QVariant value = settings_->value(Key(key));
  if (!value.isValid()) return defaultValue;
  const QByteArray bytes = value.toByteArray();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void SettingsManager::SetString(const std::string& key, const std::string& value) {
  settings_->setValue(Key(key), QString::fromStdString(value));
  settings_->sync();
}

void SettingsManager::SetBool(const std::string& key, bool value) {
  settings_->setValue(Key(key), value);
  settings_->sync();
}

void SettingsManager::SetInt64(const std::string& key, int64_t value) {
  settings_->setValue(Key(key), static_cast<qlonglong>(value));
  settings_->sync();
}

void SettingsManager::SetDouble(const std::string& key, double value) {
  settings_->setValue(Key(key), value);
  settings_->sync();
}

void SettingsManager::SetBytes(const std::string& key, const std::vector<uint8_t>& value) {
  settings_->setValue(Key(key), QByteArray(reinterpret_cast<const char*>(value.data()), int(value.size())));
  settings_->sync();
}

bool SettingsManager::Contains(const std::string& key) const { return settings_->contains(Key(key)); }

void SettingsManager::Remove(const std::string& key) {
  settings_->remove(Key(key));
  settings_->sync();
}

namespace {
SettingsManagerPtr& Installed() {
  static SettingsManagerPtr settings;
  return settings;
}
}  // namespace

ISettingsManager& AppSettings() {
  if (!Installed()) Installed() = std::make_shared<SettingsManager>("Glimra", "Zentor");
  return *Installed();
}

void SetAppSettings(SettingsManagerPtr settings) { Installed() = std::move(settings); }

}  // namespace App
}  // namespace Zentor
