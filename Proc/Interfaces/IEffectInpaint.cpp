#include "Proc/Interfaces/IEffectInpaint.h"

namespace Zentor {
namespace Proc {

const char* const IEffectInpaint::CLASS_ID = "EffectInpaint";
const char* const IEffectInpaint::PATCH_SIZE = "PatchSize";
const char* const IEffectInpaint::LOOKUP_SIZE = "LookupSize";

IEffectInpaint::~IEffectInpaint() = default;

}  // namespace Proc
}  // namespace Zentor
