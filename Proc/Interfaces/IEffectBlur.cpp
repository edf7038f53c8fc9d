#include "Proc/Interfaces/IEffectBlur.h"

namespace Zentor {
namespace Proc {

const char* const IEffectBlur::CLASS_ID = "EffectBlur";
const char* const IEffectBlur::ALGORITHM = "Algorithm";
const char* const IEffectBlur::KERNEL_LENGTH = "KernelLength";
const char* const IEffectBlur::DEVIATION_X = "DeviationX";
const char* const IEffectBlur::DEVIATION_Y = "DeviationY";
const char* const IEffectBlur::HOMOGENEOUS = "Homogeneous";
const char* const IEffectBlur::GAUSSIAN = "Gaussian";
const char* const IEffectBlur::MEDIAN = "Median";
const char* const IEffectBlur::BILATERAL = "Bilateral";

IEffectBlur::~IEffectBlur() = default;

}  // namespace Proc
}  // namespace Zentor
