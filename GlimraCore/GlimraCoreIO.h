// Image loading: the choice between the codec framework's decoder and the image read effect.
#pragma once

#include "GlimraCore/Export.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <functional>

namespace Zentor {
namespace Glimra {
namespace IO {

// A decoder of the opened file: answers the frame or null, never raises; when it raised nothing
// inside it replaces codec with its description (also when its frame is null).
using Decoder = std::function<Proc::DataVideoPtr(Conf::FormatCodecVideoPtr& codec)>;

// The frame of the file. viaStream goes first; a picture with both sides below smallSide is also
// offered to viaEffectIO, whose answer wins when it is wider, or taller without being wider.
// A frame with a width or height of 0 counts as none. codec ends with the description of the
// frame kept. Raises IOException without description when neither yields a frame.
GLIMRA_CORE_API Proc::DataVideoPtr DecodeImage(const Decoder& viaStream, const Decoder& viaEffectIO,
                                               Conf::FormatCodecVideoPtr& codec, uint32_t smallSide);

}  // namespace IO
}  // namespace Glimra
}  // namespace Zentor
