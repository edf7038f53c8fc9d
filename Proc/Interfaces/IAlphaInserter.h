// Gives a picture an alpha taken from a second frame.
#pragma once

#include "Proc/Interfaces/IEffect.h"

namespace Zentor {
namespace Proc {

// Process(picture, alpha): the picture handle is replaced by a view of the same pixels whose
// plane 7 is the alpha's plane 0 (Platform/Effects/AlphaPlanes.h). No pixel is written or copied;
// the caller keeps the alpha frame alive while the view is used. The alpha must be GRAY8 and at
// least as large as the picture.
class ZENTOR_API IAlphaInserter : public virtual ITwoInputEffectVideo {
 public:
  static const char* const CLASS_ID;
  ~IAlphaInserter() override;
};

}  // namespace Proc
}  // namespace Zentor
