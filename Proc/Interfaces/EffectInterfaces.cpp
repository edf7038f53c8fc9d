// Class ids and setting keys of the platform effect interfaces.
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IAlphaInserter.h"
#include "Proc/Interfaces/IBlend.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IEffectGrayscale.h"
#include "Proc/Interfaces/IEffectMagicEnhance.h"
#include "Proc/Interfaces/IExtraAlphaExtractor.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"

namespace Zentor {
namespace Proc {

const char* const IColorSpaceConverter::CLASS_ID = "ColorSpaceConverter";
const char* const IColorSpaceConverter::PIXEL_FORMATS = "PixelFormats";
const char* const IColorSpaceConverter::PIXEL_FORMAT = "PixelFormat";
const char* const IColorSpaceConverter::HAZ_ALPHA = "HazAlpha";
IColorSpaceConverter::~IColorSpaceConverter() = default;

Core::Property IColorSpaceConverter::MakeSettings(const std::vector<int>& formats) {
  Core::Property settings(CLASS_ID);
  settings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(CLASS_ID));
  Core::Property& list = settings.SetChild(PIXEL_FORMATS);
  for (int format : formats) list.CreateChildT(PIXEL_FORMAT, static_cast<long long>(format));
  return settings;
}

const char* const IBlend::CLASS_ID = "Blend";
const char* const IBlend::BLENDING_ALPHA = "BlendingAlpha";
const char* const IBlend::BLENDING_POSITION_X = "BlendingPositionX";
const char* const IBlend::BLENDING_POSITION_Y = "BlendingPositionY";
IBlend::~IBlend() = default;

const char* const IExtraAlphaExtractor::CLASS_ID = "ExtraAlphaExtractor";
IExtraAlphaExtractor::~IExtraAlphaExtractor() = default;

const char* const IAlphaInserter::CLASS_ID = "AlphaInserter";
IAlphaInserter::~IAlphaInserter() = default;

const char* const IRotate::CLASS_ID = "Rotate";
const char* const IRotate::ANGLE = "Angle";
IRotate::~IRotate() = default;

const char* const IFlip::CLASS_ID = "Flip";
const char* const IFlip::MODE_HORIZ = "ModeHoriz";
const char* const IFlip::MODE_VERT = "ModeVert";
IFlip::~IFlip() = default;

const char* const IEffectCrop::CLASS_ID = "EffectCrop";
const char* const IEffectCrop::OFFSET_X = "OffsetX";
const char* const IEffectCrop::OFFSET_Y = "OffsetY";
const char* const IEffectCrop::WIDTH = "Width";
const char* const IEffectCrop::HEIGHT = "Height";
IEffectCrop::~IEffectCrop() = default;

const char* const IEffectGrayscale::CLASS_ID = "EffectGrayscale";
IEffectGrayscale::~IEffectGrayscale() = default;

const char* const IEffectMagicEnhance::CLASS_ID = "EffectMagicEnhance";
const char* const IEffectMagicEnhance::AUTO_CONTRAST = "AutoContrast";
const char* const IEffectMagicEnhance::AUTO_SATURATION = "AutoSaturation";
const char* const IEffectMagicEnhance::AUTO_WHITE_BALANCE = "AutoWhiteBalance";
const char* const IEffectMagicEnhance::AUTO_WHITE_STRENGTH = "AutoWhiteStrength";
IEffectMagicEnhance::~IEffectMagicEnhance() = default;

const char* const IResize::CLASS_ID = "Resize";
const char* const IResize::METHOD = "Method";
const char* const IResize::METHOD_AUTO = "auto";
const char* const IResize::METHOD_POINT = "point";
const char* const IResize::METHOD_LINEAR = "linear";
const char* const IResize::METHOD_CUBIC = "cubic";
const char* const IResize::METHOD_AREA = "area";
const char* const IResize::FRAME_SIZE_MODE = "FrameSizeMode";
const char* const IResize::FRAME_SIZE_ABSOLUTE = "absolute";
const char* const IResize::FRAME_SIZE_SCALE = "scale";
const char* const IResize::SCALE_FACTOR = "ScaleFactor";
const char* const IResize::MODE = "Mode";
const char* const IResize::MODE_STRETCH = "stretch";
const char* const IResize::MODE_FIT = "fit";
const char* const IResize::WIDTH = "Width";
const char* const IResize::HEIGHT = "Height";
const char* const IResize::ASPECT_X = "AspectX";
const char* const IResize::ASPECT_Y = "AspectY";
IResize::~IResize() = default;

// The same name as the effect, so that a cancelled image-size run counts with the resize runs.
const char* const SettingsResizer::CLASS_ID = "Resize";

Core::Property IResize::Settings2Property(const SettingsResizer& settings) {
  Core::Property preset(CLASS_ID);
  preset.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(CLASS_ID));
  preset.SetChildT(METHOD, settings.method);
  preset.SetChildT(FRAME_SIZE_MODE, settings.frameSizeMode);
  preset.SetChildT(MODE, settings.mode);
  preset.SetChildT(WIDTH, static_cast<long long>(settings.width));
  preset.SetChildT(HEIGHT, static_cast<long long>(settings.height));
  preset.SetChildT(ASPECT_X, static_cast<long long>(settings.aspectX));
  preset.SetChildT(ASPECT_Y, static_cast<long long>(settings.aspectY));
  preset.SetChildT(SCALE_FACTOR, settings.scaleFactor);
  return preset;
}

}  // namespace Proc
}  // namespace Zentor
