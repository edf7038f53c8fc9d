// Small shared helpers.
#pragma once

#include "Platform/Bedrock/Export.h"

namespace Zentor {
namespace Core {

// Rounds to digits decimals (negative digits: to tens, hundreds, ...), adding 0.5 and truncating
// toward zero. When the scaled value plus 0.5 does not fit a 32-bit signed integer (or is not a
// number), value is returned unchanged.
ZENTOR_API double Round(double value, int digits);

}  // namespace Core
}  // namespace Zentor
