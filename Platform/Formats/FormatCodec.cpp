// Codec descriptions: settings tree plus encoder options, and the key and codec id constants.
//
// Codec ids are FFmpeg's codec names, so a description can name its encoder and decoder directly:
//   "bmp" "dpx" "gif" "mjpeg" "jpeg2000" "pbm" "pcx" "pgm" "png" "ppm" "targa" "tiff" "xbm";
// CODEC_ID_NONE is "none", which names no codec.
// The encoder settings live in the settings tree as its "encoderSettings" group, so the settings tree
// alone configures an encoder. Their children are handed to the FFmpeg encoder as its private options (TAG_DPI is
// "dpi", the option of the TIFF and PNG encoders; TIFF's "compression_algo" passes the same way).
#include "Platform/Formats/IFormatCodec.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace Zentor {
namespace Conf {

const char* const IFormatCodec::TAG_CODEC_ID = "codecId";
const char* const IFormatCodec::TAG_QUALITY = "quality";
const char* const IFormatCodec::TAG_BITRATE_MODE = "bitrateMode";
const char* const IFormatCodec::TAG_BITRATE_MODE_VBR = "vbr";
const char* const IFormatCodec::TAG_GLOBAL_HEADER = "globalHeader";
const char* const IFormatCodec::CODEC_ID_NONE = "none";
const char* const IFormatCodec::TAG_ENCODER_SETTINGS = "encoderSettings";

const char* const IFormatCodecVideo::TAG_PIX_FMT = "pixFmt";
const char* const IFormatCodecVideo::TAG_WIDTH = "width";
const char* const IFormatCodecVideo::TAG_HEIGHT = "height";
const char* const IFormatCodecVideo::TAG_ASPECTX = "aspectX";
const char* const IFormatCodecVideo::TAG_ASPECTY = "aspectY";
const char* const IFormatCodecVideo::TAG_DPI = "dpi";
const char* const IFormatCodecVideo::TAG_FRAME_RATE_NUM = "frameRateNum";
const char* const IFormatCodecVideo::TAG_FRAME_RATE_DEN = "frameRateDen";
const char* const IFormatCodecVideo::TAG_MAX_B_FRAME_SEQUENCE = "maxBFrameSequence";
const char* const IFormatCodecVideo::TAG_MAX_I_FRAME_INTERVAL = "maxIFrameInterval";

const char* const IFormatCodecVideo::CODEC_ID_BMP = "bmp";
const char* const IFormatCodecVideo::CODEC_ID_DPX = "dpx";
const char* const IFormatCodecVideo::CODEC_ID_GIF = "gif";
const char* const IFormatCodecVideo::CODEC_ID_MJPEG = "mjpeg";
const char* const IFormatCodecVideo::CODEC_ID_JPEG2000 = "jpeg2000";
const char* const IFormatCodecVideo::CODEC_ID_PBM = "pbm";
const char* const IFormatCodecVideo::CODEC_ID_PCX = "pcx";
const char* const IFormatCodecVideo::CODEC_ID_PGM = "pgm";
const char* const IFormatCodecVideo::CODEC_ID_PNG = "png";
const char* const IFormatCodecVideo::CODEC_ID_PPM = "ppm";
const char* const IFormatCodecVideo::CODEC_ID_TARGA = "targa";
const char* const IFormatCodecVideo::CODEC_ID_TIFF = "tiff";
const char* const IFormatCodecVideo::CODEC_ID_XBM = "xbm";

const char* const IFormatFile::TAG_FILENAME = "fileName";
const char* const IFormatFile::TAG_FILE_EXTENSION = "fileExtension";
const char* const IFormatFile::TAG_FILE_PATH = "filePath";
const char* const IFormatFile::TAG_FORMAT_FILE_SIZE = "fileSize";
const char* const IFormatFile::TAG_FILE_CREATE_TIME = "fileCreateTime";
const char* const IFormatFile::TAG_FILE_MODIFY_TIME = "fileModifyTime";
const char* const IFormatFile::TAG_FILE_LAST_ACCESS_TIME = "fileLastAccessTime";
const char* const IFormatFile::GROUP_ALL_IMAGES = "allImages";

const char* const IPreset::KEY_CLASS_ID = "classId";
const char* const IPreset::KEY_TYPE_ID = "typeId";
const char* const IPreset::KEY_FILTER_VIDEO_CODEC = "filterVideoCodec";

IFormatCodec::~IFormatCodec() = default;
IFormatCodecVideo::~IFormatCodecVideo() = default;

namespace {

const char* const SETTINGS_NAME = "formatCodec";

class FormatCodecVideo : public RefCounted<IFormatCodecVideo> {
 public:
  FormatCodecVideo() : settings_(SETTINGS_NAME) {
    settings_.SetChildT(TAG_CODEC_ID, std::string(CODEC_ID_NONE));
  }

  Core::Property GetSettings() const override { return settings_; }
  void SetSettings(const Core::Property& settings) override { settings_ = settings; }
  Core::Property GetEncoderSettings() const override {
    if (settings_.GetType() == PT_GROUP) {
      auto it = settings_.FindChild(TAG_ENCODER_SETTINGS);
      if (it != settings_.end() && it->GetType() == PT_GROUP) return *it;
    }
    return Core::Property(TAG_ENCODER_SETTINGS);
  }
  void SetEncoderSettings(const Core::Property& settings) override {
    Core::Property copy = settings;
    copy.SetName(TAG_ENCODER_SETTINGS);
    Settings().SetChild(TAG_ENCODER_SETTINGS, copy);
  }

  std::string GetCodecId() const override {
    if (settings_.GetType() != PT_GROUP || !settings_.ChildExists(TAG_CODEC_ID)) return CODEC_ID_NONE;
    const Core::Property& id = settings_[TAG_CODEC_ID];
    if (id.GetType() != PT_STRING || id.GetString().empty()) return CODEC_ID_NONE;
    return id.GetString();
  }

  void SetFrameRate(int numerator, int denominator) override {
    Core::Property& s = Settings();
    s.SetChildT(TAG_FRAME_RATE_NUM, static_cast<long long>(numerator));
    s.SetChildT(TAG_FRAME_RATE_DEN, static_cast<long long>(denominator));
  }

  void InitByPixelAspect(uint32_t width, uint32_t height, uint32_t aspectX, uint32_t aspectY) override {
    Core::Property& s = Settings();
    s.SetChildT(TAG_WIDTH, static_cast<long long>(width));
    s.SetChildT(TAG_HEIGHT, static_cast<long long>(height));
    s.SetChildT(TAG_ASPECTX, static_cast<long long>(aspectX));
    s.SetChildT(TAG_ASPECTY, static_cast<long long>(aspectY));
  }

 private:
  // The settings as a group; a tree replaced by a value-only node becomes a group again.
  Core::Property& Settings() {
    if (settings_.GetType() != PT_GROUP) {
      settings_ = Core::Property(settings_.GetName().empty() ? std::string(SETTINGS_NAME) : settings_.GetName());
    }
    return settings_;
  }

  Core::Property settings_;
};

}  // namespace

boost::intrusive_ptr<IFormatCodecVideo> IFormatCodecVideo::Create() {
  return boost::intrusive_ptr<IFormatCodecVideo>(new FormatCodecVideo());
}

std::string PixelFormatToTextID(int pixelFormat) {
  const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(pixelFormat));
  return name ? std::string(name) : std::string("none");
}

}  // namespace Conf
}  // namespace Zentor
