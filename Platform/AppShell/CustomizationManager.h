// The program's customisation: names, version, title and icon read from its custom settings
// file in the resources folder. Values may be localised in a section named after the locale.
#pragma once

#include <QPixmap>
#include <QString>

#include <map>
#include <memory>
#include <string>

class QWidget;

namespace Zentor {
namespace App {

// The folder of the files installed with the program: the environment variable
// GLIMRA_RESOURCES_DIR when set, else `<executable folder>/../share/glimra`, else the build tree's
// copy. Needs the application object for the executable's folder.
std::string GetPathToResources();

class CustomizationManager {
 public:
  CustomizationManager(const std::string& resourcesFolder, const std::string& executableName);
  virtual ~CustomizationManager() = default;

  // Reads the custom settings file; until then every value is missing.
  void InitSettings();
  void SetCurrentLocale(const std::string& locale);

  bool GetValue(const std::string& name, std::string& value) const;
  // The value of the current locale's section, else the plain value.
  bool GetValueWithLocale(const std::string& name, std::string& value) const;
  std::string GetValueWithDefault(const std::string& name, const std::string& defaultValue) const;

  // The full name (PRODUCT_NAME_FULL) or the short one (PRODUCT_NAME).
  std::string GetProductName(bool full) const;
  // These three name folders and files: a value that is not a plain name (a path, "..") gives the
  // default, with a WARNING.
  std::string GetOrganizationName() const;
  std::string GetAppSettingsName() const;
  // Empty when the program keeps one settings store.
  std::string GetProductSettingsPath() const;
  int GetProductVersionMajor() const;
  int GetProductVersionMinor() const;
  bool BuildIsSE() const;

  // Re-applies the customisation to a top-level window (its icon).
  void UpdateControls(QWidget* window) const;

  virtual std::string GetApplicationTitle() const;
  // Read only from a regular file (or a resource); anything else gives a null pixmap.
  virtual QPixmap GetApplicationIcon() const;
  virtual std::string GetCustomSettingsFileName() const;

  const std::string& GetResourcesFolder() const { return resources_; }
  const std::string& GetExecutableName() const { return executable_; }

  static const std::string TRACKER_INITIALIZATION_STRING;

 private:
  int GetInt(const std::string& name) const;
  std::string GetPlainName(const std::string& name, const std::string& defaultValue) const;

  std::string resources_;
  std::string executable_;
  std::string locale_;
  std::map<std::string, std::string> values_;
};

using CustomizationManagerPtr = std::shared_ptr<CustomizationManager>;

}  // namespace App
}  // namespace Zentor
