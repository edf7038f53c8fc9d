#include "Proc/Interfaces/IStream.h"

namespace Zentor {
namespace Proc {

IStream::~IStream() = default;
IStreamVideo::~IStreamVideo() = default;
IStreamAudio::~IStreamAudio() = default;
IStreamRaw::~IStreamRaw() = default;

}  // namespace Proc
}  // namespace Zentor
