// The codec factory (decoders and encoders of pictures on FFmpeg) and the filter factory.
#pragma once

#include "Proc/Interfaces/IStream.h"

#include <string>

namespace Zentor {
namespace Proc {

class ZENTOR_API ICodecFactory : public virtual IRefCountable {
 public:
  ~ICodecFactory() override;

  // A video stream whose Read gives the decoded pictures of the raw stream's packets, in 8-bit
  // formats (deeper and paletted pictures are converted); GetFormatCodec describes them.
  // Read raises DecoderException when the bytes cannot be decoded; its frames outlive the decoder.
  // Decoders never turn pictures by their EXIF orientation.
  // Raises DecoderException when no decoder exists for the stream's codec.
  virtual StreamVideoPtr CreateDecoder(const StreamRawPtr& source) = 0;

  // A stream whose ReadPacket (or ReadStream, as an IDataEncoded) encodes the next picture of source
  // into one file's bytes, configured by a codec description's settings tree: IFormatCodec::TAG_CODEC_ID,
  // TAG_QUALITY (JPEG quantiser scale, 1 best), and the encoder settings in TAG_ENCODER_SETTINGS, which
  // become the encoder's own options (TIFF "compression_algo", TAG_DPI ...); options it does not know
  // are ignored.
  // Raises EncoderException when no encoder exists for the codec id.
  virtual StreamRawPtr CreateEncoder(const StreamVideoPtr& source, const Core::Property& settings) = 0;
};

using CodecFactoryPtr = boost::intrusive_ptr<ICodecFactory>;

// Video filter that runs a list of effects over each frame of its source.
// Initialize takes a group named CLASS_ID whose EFFECTS group holds one settings group per effect,
// each named by the effect's class id, run in that order.
class ZENTOR_API IFilterApplyEffectsVideo : public virtual IStreamVideo {
 public:
  static const char* const CLASS_ID;
  static const char* const EFFECTS;
  ~IFilterApplyEffectsVideo() override;
};

using FilterApplyEffectsVideoPtr = boost::intrusive_ptr<IFilterApplyEffectsVideo>;

class ZENTOR_API IFilterFactory : public virtual IRefCountable {
 public:
  ~IFilterFactory() override;
  // The effects are made by the component manager's effect factory with implName.
  virtual FilterApplyEffectsVideoPtr CreateApplyEffectsVideo(const StreamVideoPtr& source,
                                                             const std::string& implName) = 0;
};

using FilterFactoryPtr = boost::intrusive_ptr<IFilterFactory>;

// Data item read from an encoder's ReadStream: the bytes of one encoded picture.
class ZENTOR_API IDataEncoded : public virtual IData {
 public:
  ~IDataEncoded() override;
  virtual BlobPtr GetBlob() const = 0;
};

}  // namespace Proc

namespace Core {
// The process-wide factories.
ZENTOR_API Proc::CodecFactoryPtr GetCodecFactory();
ZENTOR_API Proc::FilterFactoryPtr GetFilterFactory();
}  // namespace Core

}  // namespace Zentor
