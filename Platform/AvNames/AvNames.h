// Display names of codecs, by libav codec number.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <string>

namespace Zentor {
namespace AvNames {

// The names of the decoder and the encoder of a codec: the common name of a still-image format
// ("JPEG", not libav's "Motion JPEG"), else libav's long name ("Truevision Targa image"); empty
// for AV_CODEC_ID_NONE or an unknown number.
ZENTOR_API std::string GetLongDecoderName(int codecId);
ZENTOR_API std::string GetLongEncoderName(int codecId);

}  // namespace AvNames
}  // namespace Zentor
