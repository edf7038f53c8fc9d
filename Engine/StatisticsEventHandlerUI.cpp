#include "Engine/StatisticsEventHandlerUI.h"

namespace Zentor {
namespace Glimra {

void StatisticsEventHandlerUI::TrackEventString(const std::string& name, const StringParameters& parameters) {
  Forward([this, name, parameters] { TrackEventStringInternal(name, parameters); });
}

void StatisticsEventHandlerUI::TrackEventInt(const std::string& name, const IntParameters& parameters) {
  Forward([this, name, parameters] { TrackEventIntInternal(name, parameters); });
}

void StatisticsEventHandlerUI::TrackException(const std::string& first, const std::string& second,
                                              const std::string& third) {
  Forward([this, first, second, third] { TrackExceptionInternal(first, second, third); });
}

}  // namespace Glimra
}  // namespace Zentor
