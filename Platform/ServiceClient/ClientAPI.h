// Media sources: an image file opened for decoding, with its streams by index.
#pragma once

#include "Proc/Interfaces/IStream.h"

#include <string>

namespace Zentor {
namespace ClientAPI {

class ZENTOR_API IMediaSource : public virtual IRefCountable {
 public:
  // Stream type codes.
  static constexpr int STREAM_TYPE_UNKNOWN = 0;
  static constexpr int STREAM_TYPE_VIDEO = 1;

  ~IMediaSource() override;
  virtual int GetStreamCount() const = 0;
  // Type code of stream index; STREAM_TYPE_VIDEO streams are Proc::IStreamRaw giving encoded pictures.
  virtual int GetStreamType(int index) const = 0;
  // Raises DecoderException for an index out of range.
  virtual Proc::StreamPtr GetStream(int index) = 0;
};

using MediaSourcePtr = boost::intrusive_ptr<IMediaSource>;

// Opens the image file at path; its format is found by content. Raises Core::FileException when the
// file cannot be read, Proc::DecoderException when it is empty or of no known image format.
ZENTOR_API MediaSourcePtr OpenSource(const std::string& path);
// Same over bytes in memory (kept by the source).
ZENTOR_API MediaSourcePtr OpenSource(const BlobPtr& bytes);

}  // namespace ClientAPI
}  // namespace Zentor
