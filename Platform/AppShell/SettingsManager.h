// The shell's settings store: typed reads with defaults and writes by plain-text key, kept in
// an INI file under the user's configuration folder.
#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Zentor {
namespace App {

class ISettingsManager {
 public:
  virtual ~ISettingsManager() = default;

  virtual std::string GetString(const std::string& key, const std::string& defaultValue) const = 0;
  virtual bool GetBool(const std::string& key, bool defaultValue) const = 0;
  virtual int64_t GetInt64(const std::string& key, int64_t defaultValue) const = 0;
  virtual double GetDouble(const std::string& key, double defaultValue) const = 0;
  virtual std::vector<uint8_t> GetBytes(const std::string& key, const std::vector<uint8_t>& defaultValue) const = 0;

  virtual void SetString(const std::string& key, const std::string& value) = 0;
  virtual void SetBool(const std::string& key, bool value) = 0;
  virtual void SetInt64(const std::string& key, int64_t value) = 0;
  virtual void SetDouble(const std::string& key, double value) = 0;
  virtual void SetBytes(const std::string& key, const std::vector<uint8_t>& value) = 0;
  // Several texts at once, in order; a store may write them in one go.
  virtual void SetStrings(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) SetString(key, value);
  }

  virtual bool Contains(const std::string& key) const = 0;
  virtual void Remove(const std::string& key) = 0;

  static const std::string KEY_AUTOUPDATE;
  static const bool DEFAULT_AUTOUPDATE;
};

using SettingsManagerPtr = std::shared_ptr<ISettingsManager>;

// QSettings in INI format: organisation folder, application file (strings in UTF-8). A stored
// value of the wrong type reads as the default, with a WARNING line.
//
// QSettings works on a private copy: the user's file is read only when it is a regular file (a
// FIFO or a device in its place reads as no settings and never blocks), and every write reads
// it afresh, applies the one change (so what another running copy wrote stays) and puts the
// result in place atomically, behind a symbolic link too. A target that is not a regular file
// is never written; the values of the run are kept in memory.
class SettingsManager : public ISettingsManager {
 public:
  SettingsManager(const std::string& settingsName, const std::string& organisation);

  std::string GetString(const std::string& key, const std::string& defaultValue) const override;
  bool GetBool(const std::string& key, bool defaultValue) const override;
  int64_t GetInt64(const std::string& key, int64_t defaultValue) const override;
  double GetDouble(const std::string& key, double defaultValue) const override;
  std::vector<uint8_t> GetBytes(const std::string& key, const std::vector<uint8_t>& defaultValue) const override;

  void SetString(const std::string& key, const std::string& value) override;
  void SetBool(const std::string& key, bool value) override;
  void SetInt64(const std::string& key, int64_t value) override;
  void SetDouble(const std::string& key, double value) override;
  void SetBytes(const std::string& key, const std::vector<uint8_t>& value) override;
  // One read, change and write of the file for all of them.
  void SetStrings(const std::vector<std::pair<std::string, std::string>>& values) override;

  bool Contains(const std::string& key) const override;
  void Remove(const std::string& key) override;

  QString FileName() const { return fileName_; }
  // Whether the settings file was there when this store was made (false on a first launch).
  bool ExistedBefore() const { return existedBefore_; }

  // Files larger than this are not settings: they read as none.
  static const qint64 MAX_FILE_SIZE;

 private:
  QVariant Value(const std::string& key) const;
  // Loads the user's file into the private copy. False, and the copy left as it is, when the
  // file exists but cannot be read as settings.
  bool Reload();
  void Update(const std::function<void(QSettings&)>& change);

  QString fileName_;
  QTemporaryDir work_;
  std::unique_ptr<QSettings> settings_;
  bool existedBefore_;
};

// The application's settings store (organisation "Zentor", application "Glimra" unless another
// was installed). The application object installs its own at start-up; tests may swap it.
ISettingsManager& AppSettings();
void SetAppSettings(SettingsManagerPtr settings);

}  // namespace App
}  // namespace Zentor
