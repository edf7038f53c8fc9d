#include "Core/Interfaces/RefCountable.h"

namespace Zentor {

IRefCountable::~IRefCountable() = default;

}  // namespace Zentor
