#include "Proc/Interfaces/IEffectMorphology.h"

namespace Zentor {
namespace Proc {

const char* const IEffectMorphology::CLASS_ID = "EffectMorphology";
const char* const IEffectMorphology::OPERATION = "Operation";
const char* const IEffectMorphology::ITERATIONS = "Iterations";
const char* const IEffectMorphology::ERODE = "Erode";
const char* const IEffectMorphology::DILATE = "Dilate";
const char* const IEffectMorphology::OPEN = "Open";
const char* const IEffectMorphology::CLOSE = "Close";
const char* const IEffectMorphology::GRADIENT = "Gradient";
const char* const IEffectMorphology::TOPHAT = "TopHat";
const char* const IEffectMorphology::BLACKHAT = "BlackHat";

IEffectMorphology::~IEffectMorphology() = default;

}  // namespace Proc
}  // namespace Zentor
