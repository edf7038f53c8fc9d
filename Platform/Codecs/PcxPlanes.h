// 32-bit PCX pictures (red, green, blue and alpha planes of 8 bits), which FFmpeg's decoder refuses
// (not installed).
#pragma once

#include "Proc/Interfaces/IDataVideo.h"

#include <cstddef>
#include <cstdint>

namespace Zentor {
namespace Proc {
namespace FF {

// True for the bytes of a PCX file with four 8-bit planes.
bool IsFourPlanePcx(const uint8_t* data, size_t size);

// The picture as RGBA, alpha kept. Raises DecoderException for damaged or cut-short bytes and for a
// picture of more than maxPixels pixels.
DataVideoPtr DecodeFourPlanePcx(const uint8_t* data, size_t size, int64_t maxPixels);

}  // namespace FF
}  // namespace Proc
}  // namespace Zentor
