// The image formats the codecs read: each codec's file extensions, the groups of formats that
// file dialogs offer, and the libav number of a codec id.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <string>
#include <vector>

namespace Zentor {
namespace Conf {

// Lower-case extensions without dot of the files of a codec id, the usual one first; empty for
// a codec without image files.
ZENTOR_API const std::vector<std::string>& GetCodecExtensions(const std::string& codecId);

// The extensions of every format of a group (IFormatFile::GROUP_ALL_IMAGES), format after format;
// empty for an unknown group.
ZENTOR_API std::vector<std::string> GetSupportedFormatExtensions(const std::string& group);

// A short hint that file dialogs show beside the group's name; empty when the group has none.
ZENTOR_API std::string GetFormatExtentionTip(const std::string& group);

// The libav codec number (AVCodecID) of a codec id text; AV_CODEC_ID_NONE for CODEC_ID_NONE, an
// empty or an unknown text.
ZENTOR_API int CodecIDFromTextID(const std::string& codecId);

}  // namespace Conf
}  // namespace Zentor
