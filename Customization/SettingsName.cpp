#include "Customization/SettingsName.h"

namespace Zentor {
namespace Glimra {
namespace Settings {

std::string Name(const std::string& a, const std::string& b, const std::string& section) {
  std::string key;
  key.reserve(section.size() + 1 + a.size() + b.size());
  if (!section.empty()) key.append(section).append("/");
  return key.append(a).append(b);
}

}  // namespace Settings
}  // namespace Glimra
}  // namespace Zentor
