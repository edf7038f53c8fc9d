// What a hint bubble shows for its provider (a tool or the view) and under which settings name
// the user's choice not to see the hint again is kept.
#pragma once

#include <QString>

#include <string>

namespace Zentor {
namespace Glimra {

class IToolTipProvider {
 public:
  virtual QString GetDescription() const = 0;
  virtual std::string GetSettingsName() const = 0;
  virtual ~IToolTipProvider() = default;
};

}  // namespace Glimra
}  // namespace Zentor
