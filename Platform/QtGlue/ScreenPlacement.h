// Whether a stored window placement can be used on the screens there are now.
#pragma once

#include <cstdint>

namespace Zentor {
namespace Gui {

// True when the rectangle, as stored (before any narrowing to int), has a positive size and lies
// within the bounds of the screens. With no screen at all nothing is refused.
bool LiesOnScreens(int64_t left, int64_t top, int64_t width, int64_t height);

}  // namespace Gui
}  // namespace Zentor
