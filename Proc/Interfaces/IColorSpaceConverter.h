// Pixel-format conversion to the first suitable format of an accepted list.
#pragma once

#include "Proc/Interfaces/IEffect.h"

#include <vector>

namespace Zentor {
namespace Proc {

// Target choice for an input frame of format F:
//  - F itself when it is listed (the frame is left as it is);
//  - otherwise the first listed format that keeps the input colour (a grey format only for grey
//    input or when the list holds nothing else), preferring one with alpha when F has alpha and
//    HAZ_ALPHA is true, and one without alpha otherwise.
class ZENTOR_API IColorSpaceConverter : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // Group of accepted formats in order of preference; each child an AVPixelFormat (64-bit integer).
  static const char* const PIXEL_FORMATS;
  // Name of each child of PIXEL_FORMATS.
  static const char* const PIXEL_FORMAT;
  // bool: keep an alpha channel when the input has one. Read together with PIXEL_FORMATS
  // (false when a new list comes without it).
  static const char* const HAZ_ALPHA;

  // A settings tree for the converter accepting the given AVPixelFormat values.
  static Core::Property MakeSettings(const std::vector<int>& formats);

  ~IColorSpaceConverter() override;
};

}  // namespace Proc
}  // namespace Zentor
