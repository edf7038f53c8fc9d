#include "GlimraCore/Helpers/FramePrepare.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/Bedrock/Ratio.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"

#include <algorithm>
#include <limits>

namespace Zentor {
namespace Glimra {
namespace Helpers {

using Proc::DataVideoPtr;

Core::Property& HelperNode(Core::Property& info) {
  return info[IGlimraDrawer::TAG_EFFECT_SETTINGS][IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER];
}

Core::Property& PresetCopy(Core::Property& info) {
  return info[IGlimraDrawer::TAG_EFFECT_SETTINGS][IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE][size_t(0)];
}

namespace {

bool FlagChild(const Core::Property& preset, const char* key) {
  return preset.ChildExists(key) && Core::GetValue<bool>(preset[key]);
}

// A rotation without an angle or a flip without a direction would commit an unchanged picture.
void CheckTurnSettings(const Core::Property& preset) {
  std::string classId;
  Core::GetValue(classId, preset, Conf::IPreset::KEY_CLASS_ID);
  if (classId == Proc::IRotate::CLASS_ID && !preset.ChildExists(Proc::IRotate::ANGLE)) {
    ZENTOR_THROW_DESC(Proc::EffectException, "The rotation settings give no angle");
  }
  if (classId == Proc::IFlip::CLASS_ID && !FlagChild(preset, Proc::IFlip::MODE_HORIZ) &&
      !FlagChild(preset, Proc::IFlip::MODE_VERT)) {
    ZENTOR_THROW_DESC(Proc::EffectException, "The flip settings give no direction");
  }
}

}  // namespace

void CommonHelper::PrepareFramesCommon(Core::PerformanceTimer&, const GlimraUndoPtr&, DataVideoPtr&, DataVideoPtr&,
                                       Core::Property& info, const std::string& mode) {
  CheckTurnSettings(PresetCopy(info));
  Core::Property& helper = HelperNode(info);
  helper.SetChildT(mode, true);
  Core::Property& preset = PresetCopy(info);
  const std::string& undoSet = IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET;
  if (preset.ChildExists(undoSet)) {
    if (Core::GetValue<bool>(preset[undoSet])) helper.SetChildT(undoSet, true);
    preset.RemoveChild(undoSet);
  }
}

namespace {

// The crop values as 64-bit numbers; false when one is missing.
bool ReadCropValue(const Core::Property& preset, const char* key, long long& value) {
  if (!preset.ChildExists(key)) return false;
  value = Core::GetValue<long long>(preset[key]);
  return true;
}

}  // namespace

void CropHelper::PrepareFrames(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, DataVideoPtr& first,
                               DataVideoPtr& second, Core::Property& info, const std::string& mode) {
  CommonHelper::PrepareFramesCommon(timer, undo, first, second, info, mode);
  Core::Property& preset = PresetCopy(info);
  long long offsetX = 0, offsetY = 0, width = 0, height = 0;
  const bool complete = ReadCropValue(preset, Proc::IEffectCrop::OFFSET_X, offsetX) &&
                        ReadCropValue(preset, Proc::IEffectCrop::OFFSET_Y, offsetY) &&
                        ReadCropValue(preset, Proc::IEffectCrop::WIDTH, width) &&
                        ReadCropValue(preset, Proc::IEffectCrop::HEIGHT, height);
  if (!complete || width < 0 || height < 0) {
    ZENTOR_THROW_DESC(CropSettingsException, CropSettingsException::INCOMPLETE_SETTINGS);
  }
  if (!first) ZENTOR_THROW_DESC(GlimraException, "There is no picture to crop");
  // In 64 bits: values beyond the int range cannot wrap round into the picture.
  const long long W = first->GetWidth();
  const long long H = first->GetHeight();
  // Clipped without adding offset and size, which may both be near the largest value.
  const long long x = std::max(offsetX, 0LL);
  long long w = width + std::min(offsetX, 0LL);
  if (w > W - x) w = W - x;
  const long long y = std::max(offsetY, 0LL);
  long long h = height + std::min(offsetY, 0LL);
  if (h > H - y) h = H - y;
  const long long intMax = std::numeric_limits<int>::max();
  const long long intMin = std::numeric_limits<int>::min();
  const bool inRange = offsetX <= intMax && offsetY <= intMax && width <= intMax && height <= intMax &&
                       offsetX >= intMin && offsetY >= intMin;
  if (inRange && x == 0 && y == 0 && w == W && h == H) {
    HelperNode(info).SetChildT(CommonHelper::APPLY_STOP, true);
    return;
  }
  if (inRange && y < H && x < W && w > 0 && h > 0) {
    preset.SetChildT(Proc::IEffectCrop::OFFSET_X, x);
    preset.SetChildT(Proc::IEffectCrop::OFFSET_Y, y);
    preset.SetChildT(Proc::IEffectCrop::WIDTH, w);
    preset.SetChildT(Proc::IEffectCrop::HEIGHT, h);
    return;
  }
  ZENTOR_THROW(CropSettingsException() << TagDescription(CropSettingsException::OUT_OF_RANGE)
                                       << TagLevelID(LEVEL_ALERT));
}

void InpaintHelper::PrepareFrames(Core::PerformanceTimer&, const GlimraUndoPtr& undo, DataVideoPtr&,
                                  DataVideoPtr& second, Core::Property& info, const std::string&) {
  second = undo->GetMask();
  if (!second) ZENTOR_THROW(TooSmallSelectionException() << TagLevelID(LEVEL_ALERT));
  const uint64_t count = undo->GetMaskPixelCount();
  // Below 2^32 x 2^32 x 40 / 100 only when computed in 128 bits; frames are far smaller, but the
  // product of the two sides is widened before the multiplication anyway.
  const unsigned __int128 area = static_cast<unsigned __int128>(second->GetWidth()) * second->GetHeight();
  const unsigned __int128 limit = area * MAX_SELECTION_PERCENT / 100;
  if (count > limit) ZENTOR_THROW(TooLargeSelectionException() << TagLevelID(LEVEL_ALERT));
  HelperNode(info).SetChildT(Proc::ImplNames::NAME, std::string(Proc::ImplNames::GMIC));
}

void ResizeHelper::PrepareFrames(Core::PerformanceTimer& timer, const GlimraUndoPtr& undo, DataVideoPtr& first,
                                 DataVideoPtr& second, Core::Property& info, const std::string& mode) {
  CommonHelper::PrepareFramesCommon(timer, undo, first, second, info, mode);
  Core::Property& preset = PresetCopy(info);
  // Without a usable size the resize would make a one-pixel picture.
  std::string sizeMode;
  if (Core::GetValue(sizeMode, preset, Proc::IResize::FRAME_SIZE_MODE) && sizeMode == Proc::IResize::FRAME_SIZE_SCALE) {
    const char* factor = Proc::IResize::SCALE_FACTOR;
    if (!preset.ChildExists(factor) || !(Core::GetValue<double>(preset[factor]) > 0.0)) {
      ZENTOR_THROW_DESC(Proc::EffectException, "The resize settings give no positive scale factor");
    }
  } else {
    for (const auto& side : {std::make_pair(Proc::IResize::WIDTH, "width"), std::make_pair(Proc::IResize::HEIGHT, "height")}) {
      if (!preset.ChildExists(side.first) || Core::GetValue<long long>(preset[side.first]) <= 0) {
        ZENTOR_THROW_DESC(Proc::EffectException, std::string("The resize settings give no positive ") + side.second);
      }
    }
  }
  if (preset.ChildExists(RESOLUTION)) {
    const double dpi = Core::GetValue<double>(preset[RESOLUTION]);
    preset.RemoveChild(RESOLUTION);
    // A resolution that is not positive means nothing to a printer: it is dropped.
    if (dpi > 0.0) {
      info.SetChild(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS).SetChildT(RESOLUTION, dpi);
      using Proc::IImageMetadata;
      Core::Property& replace = info.SetChild(IImageMetadata::REPLACE_SETTINGS);
      const std::string ratio = Core::StringFromRatio(Core::RatioFromDoubleApprox(dpi, 1000));
      const auto key = [](const char* tag) {
        return IImageMetadata::GetKey(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE, tag);
      };
      replace.SetChildT(key(IImageMetadata::TAG_XRESOLUTION), ratio);
      replace.SetChildT(key(IImageMetadata::TAG_YRESOLUTION), ratio);
      replace.SetChildT(key(IImageMetadata::TAG_RESOLUTION_UOM), std::string(IImageMetadata::VAL_RESOLUTION_UOM_PPI));
    }
  }
  Core::Property& effect = info[IGlimraDrawer::TAG_EFFECT_SETTINGS];
  Core::Property& mask = effect.SetChild(IGlimraDrawer::TAG_EFFECT_SETTINGS_MASK);
  mask.CopyDataFrom(effect[IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE]);
  mask[size_t(0)].SetChildT(Proc::IResize::METHOD, std::string(Proc::IResize::METHOD_POINT));
}

void BlendHelper::PrepareFrames(Core::PerformanceTimer&, const GlimraUndoPtr&, DataVideoPtr& first,
                                DataVideoPtr& second, Core::Property&, const std::string&) {
  if (!first) ZENTOR_THROW_DESC(GlimraException, "There is no picture to blend onto");
  Proc::OneInputEffectPtr converter = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
      Proc::IColorSpaceConverter::CLASS_ID, Proc::ImplNames::DEFAULT);
  converter->SetSettings(Proc::IColorSpaceConverter::MakeSettings({first->GetPixelFormat()}));
  converter->Process(second);
}

}  // namespace Helpers
}  // namespace Glimra
}  // namespace Zentor
