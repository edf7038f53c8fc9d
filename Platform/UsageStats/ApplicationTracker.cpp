#include "Platform/UsageStats/ApplicationTracker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QStringList>

namespace Zentor {
namespace Tracking {

const std::string IApplicationTracker::USER_ID = "U";
const std::string IApplicationTracker::PRODUCT_VERSION = "P";
const char* const ApplicationTracker::FILE_NAME = "usage.jsonl";

ApplicationTracker::ApplicationTracker()
    : folder_(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)) {}

QString ApplicationTracker::FilePath() const { return QDir(folder_).filePath(QLatin1String(FILE_NAME)); }

bool ApplicationTracker::Initialize(const std::string& initialization, int, int, int, int) {
  if (folder_.isEmpty() || !QDir().mkpath(folder_)) return false;
  // Each entry ends with "#"; the first may carry the customisation's own text before its key.
  const QString userKey = QString::fromStdString(USER_ID);
  const QString versionKey = QString::fromStdString(PRODUCT_VERSION);
  for (const QString& entry : QString::fromStdString(initialization).split(QLatin1Char('#'), Qt::SkipEmptyParts)) {
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    if (equals < 0) continue;
    const QString key = entry.left(equals);
    const QString value = entry.mid(equals + 1);
    if (key == versionKey) {
      productVersion_ = value;
    } else if (key.endsWith(userKey)) {
      userId_ = value;
    }
  }
  initialized_ = true;
  return true;
}

bool ApplicationTracker::Deinitialize() {
  initialized_ = false;
  return true;
}

bool ApplicationTracker::TrackEvent(const std::string& name, const StringParameters& parameters) {
  QJsonObject values;
  for (const auto& [key, value] : parameters) values.insert(QString::fromStdString(key), QString::fromStdString(value));
  return Append({{QStringLiteral("event"), QString::fromStdString(name)}, {QStringLiteral("parameters"), values}});
}

bool ApplicationTracker::TrackEvent(const std::string& name, const IntParameters& parameters) {
  QJsonObject values;
  for (const auto& [key, value] : parameters) values.insert(QString::fromStdString(key), value);
  return Append({{QStringLiteral("event"), QString::fromStdString(name)}, {QStringLiteral("parameters"), values}});
}

bool ApplicationTracker::TrackException(const std::string& first, const std::string& second,
                                        const std::string& third) {
  const QJsonArray texts{QString::fromStdString(first), QString::fromStdString(second), QString::fromStdString(third)};
  return Append({{QStringLiteral("exception"), texts}});
}

bool ApplicationTracker::Append(QJsonObject line) const {
  if (!initialized_) return false;
  line.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
  line.insert(QStringLiteral("user"), userId_);
  line.insert(QStringLiteral("version"), productVersion_);
  QFile file(FilePath());
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
  // Compact JSON escapes every line break inside its strings, so one event is one line.
  const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
  return file.write(text) == text.size();
}

}  // namespace Tracking
}  // namespace Zentor
