// Scene coordinates as the drawer's painting calls take them; the scene and the drawing tools
// both hand points to the drawer.
#pragma once

#include "GlimraCore/IGlimraCore.h"

namespace Zentor {
namespace Glimra {

// Cut towards zero; a negative value travels as the bits of its 32-bit signed form, which the
// drawer reads back as a point left of or above the picture.
VSize ToDrawerCoordinate(double value);

}  // namespace Glimra
}  // namespace Zentor
