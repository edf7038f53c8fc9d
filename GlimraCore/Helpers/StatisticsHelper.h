// Parameters of the usage-statistics event of an effect run, taken from the effect preset.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/Property.h"

#include <boost/container/flat_map.hpp>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Zentor {
namespace Glimra {
namespace Helpers {

class GLIMRA_CORE_API StatisticsHelper {
 public:
  using Parameters = IStatisticsEventHandler::StringParameters;

  // What one effect drops, renames and translates.
  struct GLIMRA_CORE_API StatEffect {
    struct StatParameter {
      // Parameter text -> text sent instead.
      std::map<std::string, std::string> values;
      // Key under which the parameter is sent; empty keeps its key.
      std::string name;
    };

    StatEffect(std::vector<std::string> excluded, std::map<std::string, StatParameter> parameters,
               std::function<void(Parameters&)> processor);

    void Process(Parameters& parameters) const;

    std::vector<std::string> excluded;
    std::map<std::string, StatParameter> parameters;
    std::function<void(Parameters&)> processor;
  };

  // Keys no effect sends.
  static const std::vector<std::string> s_filteredParameters;
  // Per class id.
  static const std::map<std::string, StatEffect> s_statEffects;

  // The preset's values as texts, then the effect's own rules.
  static void PrepareApplyEffectSuccessStatisticsParameters(const Core::Property& preset, Parameters& parameters);
  // Every child with a value as text; returns the class id.
  static std::string FillParameters(const Core::Property& preset, Parameters& parameters);
  // Replaces both keys by "WIDTH_HEIGHT" = "<width> x <height>" when both are present.
  static void JoinWidthHeight(const std::string& widthKey, const std::string& heightKey, Parameters& parameters);
};

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
