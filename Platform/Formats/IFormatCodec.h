// Codec descriptions: a settings tree with the codec id and the picture's format.
#pragma once

#include "Core/Interfaces/Property.h"
#include "Core/Interfaces/RefCountable.h"

#include <string>

namespace Zentor {
namespace Conf {

class ZENTOR_API IFormatCodec : public virtual IRefCountable {
 public:
  ~IFormatCodec() override;

  // Settings keys.
  static const char* const TAG_CODEC_ID;
  static const char* const TAG_QUALITY;
  static const char* const TAG_BITRATE_MODE;
  static const char* const TAG_BITRATE_MODE_VBR;
  static const char* const TAG_GLOBAL_HEADER;
  static const char* const CODEC_ID_NONE;
  // Child of the settings tree holding the encoder settings, so that the tree alone configures an encoder.
  static const char* const TAG_ENCODER_SETTINGS;

  // The settings tree, read and replaced whole.
  virtual Core::Property GetSettings() const = 0;
  virtual void SetSettings(const Core::Property& settings) = 0;
  // Encoder options (compression, dpi ...), read and replaced whole; kept in the settings tree's
  // TAG_ENCODER_SETTINGS child.
  virtual Core::Property GetEncoderSettings() const = 0;
  virtual void SetEncoderSettings(const Core::Property& settings) = 0;
  // The codec id of the settings, CODEC_ID_NONE when absent.
  virtual std::string GetCodecId() const = 0;
};

class ZENTOR_API IFormatCodecVideo : public virtual IFormatCodec {
 public:
  ~IFormatCodecVideo() override;

  static const char* const TAG_PIX_FMT;
  static const char* const TAG_WIDTH;
  static const char* const TAG_HEIGHT;
  static const char* const TAG_ASPECTX;
  static const char* const TAG_ASPECTY;
  static const char* const TAG_DPI;
  static const char* const TAG_FRAME_RATE_NUM;
  static const char* const TAG_FRAME_RATE_DEN;
  static const char* const TAG_MAX_B_FRAME_SEQUENCE;
  static const char* const TAG_MAX_I_FRAME_INTERVAL;

  // Codec ids of the image formats.
  static const char* const CODEC_ID_BMP;
  static const char* const CODEC_ID_DPX;
  static const char* const CODEC_ID_GIF;
  static const char* const CODEC_ID_MJPEG;
  static const char* const CODEC_ID_JPEG2000;
  static const char* const CODEC_ID_PBM;
  static const char* const CODEC_ID_PCX;
  static const char* const CODEC_ID_PGM;
  static const char* const CODEC_ID_PNG;
  static const char* const CODEC_ID_PPM;
  static const char* const CODEC_ID_TARGA;
  static const char* const CODEC_ID_TIFF;
  static const char* const CODEC_ID_XBM;

  virtual void SetFrameRate(int numerator, int denominator) = 0;
  // Sets width, height and pixel aspect in the settings.
  virtual void InitByPixelAspect(uint32_t width, uint32_t height, uint32_t aspectX, uint32_t aspectY) = 0;

  // An empty description (settings: a group with CODEC_ID_NONE as codec id).
  static boost::intrusive_ptr<IFormatCodecVideo> Create();
};

using FormatCodecVideoPtr = boost::intrusive_ptr<IFormatCodecVideo>;

struct ZENTOR_API IFormatFile {
  static const char* const TAG_FILENAME;
  static const char* const TAG_FILE_EXTENSION;
  static const char* const TAG_FILE_PATH;
  static const char* const TAG_FORMAT_FILE_SIZE;
  static const char* const TAG_FILE_CREATE_TIME;
  static const char* const TAG_FILE_MODIFY_TIME;
  static const char* const TAG_FILE_LAST_ACCESS_TIME;
  static const char* const GROUP_ALL_IMAGES;
};

struct ZENTOR_API IPreset {
  static const char* const KEY_CLASS_ID;
  static const char* const KEY_TYPE_ID;
  static const char* const KEY_FILTER_VIDEO_CODEC;
};

// Short text id of a pixel format ("rgb24", "yuv420p" ...).
ZENTOR_API std::string PixelFormatToTextID(int pixelFormat);

}  // namespace Conf
}  // namespace Zentor
