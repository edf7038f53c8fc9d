#include "Proc/Interfaces/IEffectFloodFill.h"

namespace Zentor {
namespace Proc {

const char* const IEffectFloodFill::CLASS_ID = "EffectFloodFill";
const char* const IEffectFloodFill::SEED_X = "SeedX";
const char* const IEffectFloodFill::SEED_Y = "SeedY";
const char* const IEffectFloodFill::COLOR = "Color";
const char* const IEffectFloodFill::DIFF_LOWER = "DiffLower";
const char* const IEffectFloodFill::DIFF_UPPER = "DiffUpper";
const char* const IEffectFloodFill::CONNECTIVITY = "Connectivity";
const char* const IEffectFloodFill::MASK_ONLY = "MaskOnly";

IEffectFloodFill::~IEffectFloodFill() = default;

}  // namespace Proc
}  // namespace Zentor
