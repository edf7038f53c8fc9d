// Stored presets: the codec description settings that an encoder starts from.
#pragma once

#include "Core/Interfaces/Property.h"
#include "Core/Interfaces/RefCountable.h"

#include <string>

namespace Zentor {
namespace Core {

class ZENTOR_API IDataHelper : public virtual IRefCountable {
 public:
  ~IDataHelper() override;
  // The stored preset (a copy).
  virtual Property GetSettings() const = 0;
};

using DataHelperPtr = boost::intrusive_ptr<IDataHelper>;

// The preset stored for (key, value). Key Conf::IPreset::KEY_FILTER_VIDEO_CODEC with a codec id gives the
// codec's settings tree. Raises CoreException for a key or value without a preset.
ZENTOR_API DataHelperPtr CreateDataHelper(const std::string& key, const std::string& value);

}  // namespace Core
}  // namespace Zentor
