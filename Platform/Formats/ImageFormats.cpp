#include "Platform/Formats/ImageFormats.h"

#include "Platform/Codecs/FFInternal.h"
#include "Platform/Formats/IFormatCodec.h"

#include <utility>

namespace Zentor {
namespace Conf {

namespace {

using CodecFiles = std::vector<std::pair<std::string, std::vector<std::string>>>;

// One list for both the per-codec lookup and the groups, so the two never disagree. Built on
// first use: other libraries' tables read it while they are constructed.
const CodecFiles& AllImages() {
  static const CodecFiles files = {
      {IFormatCodecVideo::CODEC_ID_BMP, {"bmp"}},
      {IFormatCodecVideo::CODEC_ID_DPX, {"dpx"}},
      {IFormatCodecVideo::CODEC_ID_GIF, {"gif"}},
      {IFormatCodecVideo::CODEC_ID_MJPEG, {"jpg", "jpeg", "jpe", "jfif", "jif"}},
      {IFormatCodecVideo::CODEC_ID_JPEG2000, {"jp2"}},
      {IFormatCodecVideo::CODEC_ID_PBM, {"pbm"}},
      {IFormatCodecVideo::CODEC_ID_PCX, {"pcx"}},
      {IFormatCodecVideo::CODEC_ID_PGM, {"pgm", "pnm"}},
      {IFormatCodecVideo::CODEC_ID_PNG, {"png"}},
      {IFormatCodecVideo::CODEC_ID_PPM, {"ppm"}},
      {IFormatCodecVideo::CODEC_ID_TARGA, {"tga"}},
      {IFormatCodecVideo::CODEC_ID_TIFF, {"tiff", "tif"}},
      {IFormatCodecVideo::CODEC_ID_XBM, {"xbm"}},
  };
  return files;
}

}  // namespace

const std::vector<std::string>& GetCodecExtensions(const std::string& codecId) {
  static const std::vector<std::string> none;
  for (const auto& codec : AllImages()) {
    if (codec.first == codecId) return codec.second;
  }
  return none;
}

std::vector<std::string> GetSupportedFormatExtensions(const std::string& group) {
  std::vector<std::string> extensions;
  if (group != IFormatFile::GROUP_ALL_IMAGES) return extensions;
  for (const auto& codec : AllImages()) extensions.insert(extensions.end(), codec.second.begin(), codec.second.end());
  return extensions;
}

std::string GetFormatExtentionTip(const std::string&) { return std::string(); }

int CodecIDFromTextID(const std::string& codecId) { return Proc::FF::CodecIdToAV(codecId); }

}  // namespace Conf
}  // namespace Zentor
