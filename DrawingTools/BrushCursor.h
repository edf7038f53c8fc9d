// The round cursor of the selection brush and the eraser, drawn at the brush's size on screen.
#pragma once

#include <QCursor>

namespace Zentor {
namespace Glimra {

// A size-by-size circle, white inside black so it shows on any picture, with a minus sign in the
// middle, or a plus sign when `plus` is set. The hot spot is the middle.
QCursor MakeBrushCursor(int size, bool plus);

}  // namespace Glimra
}  // namespace Zentor
