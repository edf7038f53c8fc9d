// Turns an alpha frame into the alpha plane a blend needs for pictures of a given pixel format.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

// Input: a GRAY8 alpha frame, or a frame with an alpha channel (its alpha is taken), or any other
// frame (its luminance is taken). Result: a GRAY8 frame at the chroma resolution of the format
// named by Conf::IFormatCodecVideo::TAG_PIX_FMT (the input's own size for formats without
// subsampling; a GRAY8 input is then handed back as it is). The input is never written.
class ZENTOR_API IExtraAlphaExtractor : public virtual IOneInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  ~IExtraAlphaExtractor() override;
};

}  // namespace Proc
}  // namespace Zentor
