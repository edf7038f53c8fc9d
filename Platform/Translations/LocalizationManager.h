// Translation domains: a domain's texts come from the translators the look-and-feel manager
// installs from the component manager's localisation folder, looked up in the Qt context named
// after the domain.
#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace Zentor {
namespace Core {

class ILocalizationManager {
 public:
  virtual ~ILocalizationManager() = default;
  // The key's text in the current language (UTF-8); the key itself when there is none. A locale
  // code without a text gives the language's own name for itself.
  virtual std::string Translate(const std::string& key) const = 0;
};

using LocalizationManagerPtr = std::shared_ptr<ILocalizationManager>;

class LocalizationManager {
 public:
  // Raises CoreException when the component manager gives no localisation folder or the folder
  // does not exist: the program was started without its installed files.
  void LoadDomain(const std::string& domain);
  bool IsDomainLoaded(const std::string& domain) const;

 private:
  mutable std::mutex mutex_;
  std::set<std::string> domains_;
};

LocalizationManager& GetLocalizationManager();
LocalizationManagerPtr GetLocalizationManagerForDomain(const std::string& domain);

}  // namespace Core
}  // namespace Zentor
