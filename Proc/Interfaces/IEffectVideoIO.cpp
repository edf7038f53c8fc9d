#include "Proc/Interfaces/IEffectVideoIO.h"

namespace Zentor {
namespace Proc {

const char* const IEffectVideoIO::CLASS_ID = "EffectVideoIO";
const char* const IEffectVideoIO::OPERATION = "Operation";
const char* const IEffectVideoIO::READ = "Read";
const char* const IEffectVideoIO::WRITE = "Write";

IEffectVideoIO::~IEffectVideoIO() = default;

}  // namespace Proc
}  // namespace Zentor
