// Lays a picture (the second input) over the frame at a position, mixed in by its alpha.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

// The picture's alpha comes from its planes 6 and 7 (Platform/Effects/AlphaPlanes.h), else from
// its own alpha channel, else it is opaque; it is scaled by BLENDING_ALPHA / 255. Pixels of the
// frame outside the picture's rectangle, and the frame's own alpha channel, stay unchanged.
// The second input is never written.
class ZENTOR_API IBlend : public virtual ITwoInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  // Overall opacity 0..255 (64-bit integer), default 255.
  static const char* const BLENDING_ALPHA;
  // Top-left corner of the picture in the frame (64-bit integers, may be negative), default 0.
  static const char* const BLENDING_POSITION_X;
  static const char* const BLENDING_POSITION_Y;
  ~IBlend() override;
};

}  // namespace Proc
}  // namespace Zentor
