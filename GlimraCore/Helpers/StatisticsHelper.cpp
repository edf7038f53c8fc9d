#include "GlimraCore/Helpers/StatisticsHelper.h"

#include "Core/Interfaces/Property.h"
#include "GlimraCore/Helpers/FramePrepare.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IResize.h"

#include <algorithm>

namespace Zentor {
namespace Glimra {
namespace Helpers {

using Parameters = StatisticsHelper::Parameters;
using StatEffect = StatisticsHelper::StatEffect;

StatEffect::StatEffect(std::vector<std::string> excludedKeys, std::map<std::string, StatParameter> translated,
                       std::function<void(Parameters&)> processorFunction)
    : excluded(std::move(excludedKeys)),
      parameters(std::move(translated)),
      processor(std::move(processorFunction)) {}

void StatEffect::Process(Parameters& values) const {
  if (processor) processor(values);
  Parameters result;
  const auto& filtered = StatisticsHelper::s_filteredParameters;
  for (const auto& entry : values) {
    const std::string& key = entry.first;
    if (std::find(excluded.begin(), excluded.end(), key) != excluded.end()) continue;
    if (std::find(filtered.begin(), filtered.end(), key) != filtered.end()) continue;
    const auto rule = parameters.find(key);
    if (rule == parameters.end()) {
      result.insert(entry);
      continue;
    }
    const auto translated = rule->second.values.find(entry.second);
    result.emplace(rule->second.name.empty() ? key : rule->second.name,
                   translated == rule->second.values.end() ? entry.second : translated->second);
  }
  values.swap(result);
}

void StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(const Core::Property& preset,
                                                                     Parameters& parameters) {
  const std::string classId = FillParameters(preset, parameters);
  const auto row = s_statEffects.find(classId);
  if (row != s_statEffects.end()) row->second.Process(parameters);
}

std::string StatisticsHelper::FillParameters(const Core::Property& preset, Parameters& parameters) {
  std::string classId;
  for (const Core::Property& child : preset) {
    if (child.GetName() == Conf::IPreset::KEY_CLASS_ID) {
      classId = Core::PropertyValueToString(child);
      continue;
    }
    std::string text;
    switch (child.GetType()) {
      case PT_BOOL:
        text = child.GetBool() ? IStatisticsEventHandler::VAL_YES : IStatisticsEventHandler::VAL_NO;
        break;
      case PT_INT:
      case PT_INT64:
      case PT_DOUBLE:
      case PT_STRING:
        text = Core::PropertyValueToString(child);
        break;
      default:
        break;
    }
    if (!text.empty()) parameters.emplace(child.GetName(), text);
  }
  return classId;
}

void StatisticsHelper::JoinWidthHeight(const std::string& widthKey, const std::string& heightKey,
                                       Parameters& parameters) {
  const auto take = [&parameters](const std::string& key) {
    std::string value;
    const auto it = parameters.find(key);
    if (it != parameters.end()) {
      value = it->second;
      parameters.erase(it);
    }
    return value;
  };
  const std::string width = take(widthKey);
  const std::string height = take(heightKey);
  if (!width.empty() && !height.empty()) {
    parameters.emplace(IStatisticsEventHandler::KEY_WIDTH_HEIGHT, width + " x " + height);
  }
}

void CropHelper::ProcessStatisticsParameters(Parameters& parameters) {
  StatisticsHelper::JoinWidthHeight(Proc::IEffectCrop::WIDTH, Proc::IEffectCrop::HEIGHT, parameters);
}

void ResizeHelper::ProcessStatisticsParameters(Parameters& parameters) {
  StatisticsHelper::JoinWidthHeight(Conf::IFormatCodecVideo::TAG_WIDTH, Conf::IFormatCodecVideo::TAG_HEIGHT,
                                    parameters);
}

// After the engine's words (Constants.cpp), which these tables copy.
const std::vector<std::string> StatisticsHelper::s_filteredParameters __attribute__((init_priority(1100))){
    IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET, IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS};

namespace {

std::map<std::string, StatEffect> MakeStatEffects() {
  using H = IStatisticsEventHandler;
  std::map<std::string, StatEffect> rows;
  rows.emplace(Proc::IEffectCrop::CLASS_ID,
               StatEffect({Proc::IEffectCrop::OFFSET_X, Proc::IEffectCrop::OFFSET_Y}, {},
                          &CropHelper::ProcessStatisticsParameters));
  StatEffect::StatParameter sizeUom{{{"0", H::VAL_RESIZE_SIZE_UOM_PIXELS},
                                     {"1", H::VAL_RESIZE_SIZE_UOM_PERCENTS},
                                     {"2", H::VAL_RESIZE_SIZE_UOM_INCHES},
                                     {"3", H::VAL_RESIZE_SIZE_UOM_CM},
                                     {"4", H::VAL_RESIZE_SIZE_UOM_MM},
                                     {"5", H::VAL_RESIZE_SIZE_UOM_POINTS}},
                                    std::string()};
  StatEffect::StatParameter resolutionUom{
      {{"0", H::VAL_RESIZE_RESOLUTION_UOM_PPI}, {"1", H::VAL_RESIZE_RESOLUTION_UOM_PPC}}, std::string()};
  rows.emplace(Proc::IResize::CLASS_ID,
               StatEffect({Conf::IPreset::KEY_TYPE_ID, Conf::IFormatCodecVideo::TAG_ASPECTX,
                           Conf::IFormatCodecVideo::TAG_ASPECTY, Proc::IResize::FRAME_SIZE_MODE, Proc::IResize::METHOD,
                           Proc::IResize::MODE, Proc::IResize::SCALE_FACTOR},
                          {{H::KEY_RESIZE_SIZE_UOM, sizeUom}, {H::KEY_RESIZE_RESOLUTION_UOM, resolutionUom}},
                          &ResizeHelper::ProcessStatisticsParameters));
  return rows;
}

}  // namespace

const std::map<std::string, StatEffect> StatisticsHelper::s_statEffects __attribute__((init_priority(1100))) =
    MakeStatEffects();

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
