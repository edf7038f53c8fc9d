// Codec presets, one per image codec:
//   every preset: codec id, bitrate mode VBR;
//   mjpeg: quality 2 (quantiser scale, 1 best .. 31 smallest);
//   tiff:  encoder settings compression_algo = packbits (the save dialog's default);
//   png:   encoder settings pred = paeth (smaller files than unfiltered rows).
#include "Platform/DataAccess/DataHelper.h"

#include "Platform/Formats/IFormatCodec.h"

#include <map>

namespace Zentor {
namespace Core {

IDataHelper::~IDataHelper() = default;

namespace {

using Conf::IFormatCodec;
using Conf::IFormatCodecVideo;

Property CodecPreset(const std::string& codecId) {
  Property preset = IFormatCodecVideo::Create()->GetSettings();
  preset.SetChildT(IFormatCodec::TAG_CODEC_ID, codecId);
  preset.SetChildT(IFormatCodec::TAG_BITRATE_MODE, std::string(IFormatCodec::TAG_BITRATE_MODE_VBR));
  Property encoder(IFormatCodec::TAG_ENCODER_SETTINGS);
  if (codecId == IFormatCodecVideo::CODEC_ID_MJPEG) {
    preset.SetChildT(IFormatCodec::TAG_QUALITY, 2LL);
  } else if (codecId == IFormatCodecVideo::CODEC_ID_TIFF) {
    encoder.SetChildT("compression_algo", std::string("packbits"));
  } else if (codecId == IFormatCodecVideo::CODEC_ID_PNG) {
    encoder.SetChildT("pred", std::string("paeth"));
  }
  preset.SetChild(IFormatCodec::TAG_ENCODER_SETTINGS, encoder);
  return preset;
}

const std::map<std::string, Property>& CodecPresets() {
  static const std::map<std::string, Property> presets = [] {
    std::map<std::string, Property> table;
    for (const char* id :
         {IFormatCodecVideo::CODEC_ID_BMP, IFormatCodecVideo::CODEC_ID_DPX, IFormatCodecVideo::CODEC_ID_GIF,
          IFormatCodecVideo::CODEC_ID_MJPEG, IFormatCodecVideo::CODEC_ID_JPEG2000, IFormatCodecVideo::CODEC_ID_PBM,
          IFormatCodecVideo::CODEC_ID_PCX, IFormatCodecVideo::CODEC_ID_PGM, IFormatCodecVideo::CODEC_ID_PNG,
          IFormatCodecVideo::CODEC_ID_PPM, IFormatCodecVideo::CODEC_ID_TARGA, IFormatCodecVideo::CODEC_ID_TIFF,
          IFormatCodecVideo::CODEC_ID_XBM}) {
      table.emplace(id, CodecPreset(id));
    }
    return table;
  }();
  return presets;
}

class DataHelper : public RefCounted<IDataHelper> {
 public:
  explicit DataHelper(Property settings) : settings_(std::move(settings)) {}
  Property GetSettings() const override { return settings_; }

 private:
  Property settings_;
};

}  // namespace

DataHelperPtr CreateDataHelper(const std::string& key, const std::string& value) {
  if (key != Conf::IPreset::KEY_FILTER_VIDEO_CODEC) {
    ZENTOR_THROW_DESC(CoreException, "No presets stored under \"" + key + "\"");
  }
  const auto& presets = CodecPresets();
  auto it = presets.find(value);
  if (it == presets.end()) ZENTOR_THROW_DESC(CoreException, "No preset for codec \"" + value + "\"");
  return DataHelperPtr(new DataHelper(it->second));
}

}  // namespace Core
}  // namespace Zentor
