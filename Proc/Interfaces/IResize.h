// Scales the frame to a new size.
#pragma once

#include "Proc/Interfaces/IEffect.h"

#include <cstdint>
#include <string>

namespace Zentor {
namespace Proc {

struct SettingsResizer;

class ZENTOR_API IResize : public virtual IOneInputEffectVideo {
 public:
  using Settings = SettingsResizer;

  static const char* const CLASS_ID;

  // Scaling method (string), default METHOD_AUTO.
  static const char* const METHOD;
  static const char* const METHOD_AUTO;    // area when shrinking, cubic when enlarging
  static const char* const METHOD_POINT;   // nearest pixel: masks keep their values
  static const char* const METHOD_LINEAR;
  static const char* const METHOD_CUBIC;
  static const char* const METHOD_AREA;

  // How the target size is given (string), default FRAME_SIZE_ABSOLUTE.
  static const char* const FRAME_SIZE_MODE;
  static const char* const FRAME_SIZE_ABSOLUTE;  // WIDTH x HEIGHT
  static const char* const FRAME_SIZE_SCALE;     // the input size times SCALE_FACTOR
  static const char* const SCALE_FACTOR;         // double

  // How the proportions are treated (string), default MODE_STRETCH.
  static const char* const MODE;
  static const char* const MODE_STRETCH;  // exactly the target size
  static const char* const MODE_FIT;      // the largest size with the input's proportions inside the target

  // Target size in pixels (64-bit integers); a side of 0 becomes 1.
  static const char* const WIDTH;
  static const char* const HEIGHT;
  // Pixel aspect of the result (64-bit integers); 0 keeps the input's.
  static const char* const ASPECT_X;
  static const char* const ASPECT_Y;

  // The resize preset (a tree named CLASS_ID) for a resizer record.
  static Core::Property Settings2Property(const SettingsResizer& settings);

  ~IResize() override;
};

// The resize request as the program and the thumbnail writer fill it.
struct ZENTOR_API SettingsResizer {
  // Names the image-size run (statistics of a cancelled resize); equal to IResize::CLASS_ID.
  static const char* const CLASS_ID;

  std::string method = IResize::METHOD_AUTO;
  std::string frameSizeMode = IResize::FRAME_SIZE_ABSOLUTE;
  std::string mode = IResize::MODE_STRETCH;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t aspectX = 1;
  uint32_t aspectY = 1;
  double scaleFactor = 1.0;
};

}  // namespace Proc
}  // namespace Zentor
