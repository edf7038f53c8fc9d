#include "Platform/AppShell/SettingsManager.h"

#include "Platform/AppShell/RegularFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <glog/logging.h>

#include <cmath>

namespace Zentor {
namespace App {

const std::string ISettingsManager::KEY_AUTOUPDATE = "autoUpdate";
const bool ISettingsManager::DEFAULT_AUTOUPDATE = true;

const qint64 SettingsManager::MAX_FILE_SIZE = 4 << 20;

namespace {

QString Key(const std::string& key) { return QString::fromStdString(key); }

void WarnWrongType(const std::string& key, const QVariant& value, const char* wanted) {
  const QString shown = value.typeId() == QMetaType::QStringList ? value.toStringList().join(QStringLiteral(", "))
                                                                  : value.toString();
  LOG(WARNING) << "The stored setting " << key << " (" << shown.left(80).toStdString() << ") is not "
               << wanted << "; the default is used";
}

bool IsInteger(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return true;
    default: return false;
  }
}

QString WorkFile(const QTemporaryDir& work) { return work.filePath(QStringLiteral("settings.ini")); }

}  // namespace

SettingsManager::SettingsManager(const std::string& settingsName, const std::string& organisation)
    : fileName_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                QString::fromStdString(organisation) + QLatin1Char('/') + QString::fromStdString(settingsName) +
                QStringLiteral(".ini")),
      existedBefore_(QFileInfo::exists(fileName_)) {
  if (!Reload()) settings_ = std::make_unique<QSettings>(WorkFile(work_), QSettings::IniFormat);
}

bool SettingsManager::Reload() {
  QByteArray contents;
  const FileReadResult result = ReadRegularFile(fileName_, MAX_FILE_SIZE, contents);
  if (result != FileReadResult::Read && result != FileReadResult::Missing) {
    LOG(WARNING) << "The settings file " << fileName_.toStdString() << " " << DescribeFileRead(result)
                 << "; it is not used";
    return false;
  }
  settings_.reset();
  QFile copy(WorkFile(work_));
  if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(contents) != contents.size()) {
    LOG(WARNING) << "Cannot copy the settings to " << copy.fileName().toStdString();
  }
  copy.close();
  settings_ = std::make_unique<QSettings>(copy.fileName(), QSettings::IniFormat);
  return true;
}

void SettingsManager::Update(const std::function<void(QSettings&)>& change) {
  QDir().mkpath(QFileInfo(fileName_).absolutePath());
  // Against another running copy's read-change-write of the same file.
  QLockFile lock(fileName_ + QStringLiteral(".lock"));
  lock.tryLock(2000);
  const bool fresh = Reload();
  change(*settings_);
  settings_->sync();
  if (!fresh) {
    LOG(WARNING) << "The settings are not written to " << fileName_.toStdString();
    return;
  }
  QByteArray contents;
  if (ReadRegularFile(WorkFile(work_), MAX_FILE_SIZE, contents) != FileReadResult::Read) {
    LOG(WARNING) << "Cannot read the settings back from " << WorkFile(work_).toStdString();
    return;
  }
  std::string error;
  if (!WriteFileAtomically(fileName_, contents, error)) LOG(WARNING) << "The settings are not written: " << error;
}

QVariant SettingsManager::Value(const std::string& key) const { return settings_->value(Key(key)); }

std::string SettingsManager::GetString(const std::string& key, const std::string& defaultValue) const {
  const QVariant value = Value(key);
  if (!value.isValid()) return defaultValue;
  // A number or flag written in this run is held as such until the file is read again.
  const bool text = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::Bool ||
                    value.typeId() == QMetaType::Double || IsInteger(value);
  if (!text) {
    WarnWrongType(key, value, "a text");
    return defaultValue;
  }
  return value.toString().toStdString();
}

bool SettingsManager::GetBool(const std::string& key, bool defaultValue) const {
  const QVariant value = Value(key);
  if (!value.isValid()) return defaultValue;
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  const QString text = value.typeId() == QMetaType::QString ? value.toString().trimmed().toLower() : QString();
  if (text == QLatin1String("true") || text == QLatin1String("1")) return true;
  if (text == QLatin1String("false") || text == QLatin1String("0")) return false;
  WarnWrongType(key, value, "true or false");
  return defaultValue;
}

int64_t SettingsManager::GetInt64(const std::string& key, int64_t defaultValue) const {
  const QVariant value = Value(key);
  if (!value.isValid()) return defaultValue;
  bool ok = IsInteger(value);
  qlonglong number = ok ? value.toLongLong() : 0;
  if (value.typeId() == QMetaType::QString) number = value.toString().trimmed().toLongLong(&ok);
  if (!ok) {
    WarnWrongType(key, value, "a whole number");
    return defaultValue;
  }
  return number;
}

double SettingsManager::GetDouble(const std::string& key, double defaultValue) const {
  const QVariant value = Value(key);
  if (!value.isValid()) return defaultValue;
  bool ok = IsInteger(value) || value.typeId() == QMetaType::Double;
  double number = ok ? value.toDouble() : 0.0;
  if (value.typeId() == QMetaType::QString) number = value.toString().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(number)) {
    WarnWrongType(key, value, "a finite number");
    return defaultValue;
  }
  return number;
}

std::vector<uint8_t> SettingsManager::GetBytes(const std::string& key, const std::vector<uint8_t>& defaultValue) const {
  const QVariant value = Value(key);
  if (!value.isValid()) return defaultValue;
  if (value.typeId() != QMetaType::QByteArray) {
    WarnWrongType(key, value, "a byte array");
    return defaultValue;
  }
  const QByteArray bytes = value.toByteArray();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void SettingsManager::SetString(const std::string& key, const std::string& value) {
  Update([&](QSettings& settings) { settings.setValue(Key(key), QString::fromStdString(value)); });
}

void SettingsManager::SetStrings(const std::vector<std::pair<std::string, std::string>>& values) {
  Update([&](QSettings& settings) {
    for (const auto& [key, value] : values) settings.setValue(Key(key), QString::fromStdString(value));
  });
}

void SettingsManager::SetBool(const std::string& key, bool value) {
  Update([&](QSettings& settings) { settings.setValue(Key(key), value); });
}

void SettingsManager::SetInt64(const std::string& key, int64_t value) {
  Update([&](QSettings& settings) { settings.setValue(Key(key), static_cast<qlonglong>(value)); });
}

void SettingsManager::SetDouble(const std::string& key, double value) {
  Update([&](QSettings& settings) { settings.setValue(Key(key), value); });
}

void SettingsManager::SetBytes(const std::string& key, const std::vector<uint8_t>& value) {
  Update([&](QSettings& settings) {
    settings.setValue(Key(key), QByteArray(reinterpret_cast<const char*>(value.data()), qsizetype(value.size())));
  });
}

bool SettingsManager::Contains(const std::string& key) const { return settings_->contains(Key(key)); }

void SettingsManager::Remove(const std::string& key) {
  Update([&](QSettings& settings) { settings.remove(Key(key)); });
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
