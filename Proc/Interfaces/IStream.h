// Stream interfaces: sources of frames, audio data or encoded packets.
#pragma once

#include "Core/Interfaces/Property.h"
#include "Core/Interfaces/RefCountable.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/Pipeline/Blob.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <cstdint>

namespace Zentor {
namespace Proc {

class ZENTOR_API IStream : public virtual IRefCountable {
 public:
  ~IStream() override;
  virtual void Initialize(const Core::Property& settings) = 0;
  virtual Core::Property GetSettings() const = 0;
  virtual int64_t GetDuration() const = 0;
  virtual int64_t GetPosition() const = 0;
  // The next item as generic data; null when none.
  virtual DataPtr ReadStream() = 0;
  virtual void RequestSeek(int64_t position, IStream* requester) = 0;
  virtual void DoSeek() = 0;
  virtual bool GetSeekResult() const = 0;
  virtual boost::intrusive_ptr<Conf::IFormatCodec> GetFormatCodecBase() = 0;
  virtual Core::Property GetStatistic() const = 0;
  virtual void Terminate() = 0;
  virtual bool IsTerminated() const = 0;
  virtual void ReleaseInternalData() = 0;
};

class ZENTOR_API IStreamVideo : public virtual IStream {
 public:
  ~IStreamVideo() override;
  boost::intrusive_ptr<Conf::IFormatCodec> GetFormatCodecBase() override { return GetFormatCodec(); }
  // The next frame; null when none.
  virtual DataVideoPtr Read() = 0;
  virtual Conf::FormatCodecVideoPtr GetFormatCodec() = 0;
};

class ZENTOR_API IStreamAudio : public virtual IStream {
 public:
  ~IStreamAudio() override;
  boost::intrusive_ptr<Conf::IFormatCodec> GetFormatCodecBase() override { return GetFormatCodec(); }
  virtual DataPtr Read() = 0;
  virtual boost::intrusive_ptr<Conf::IFormatCodec> GetFormatCodec() = 0;
};

// Encoded packets of a video stream, as a decoder takes them.
class ZENTOR_API IStreamRaw : public virtual IStream {
 public:
  ~IStreamRaw() override;
  boost::intrusive_ptr<Conf::IFormatCodec> GetFormatCodecBase() override { return GetFormatCodec(); }
  // The next packet; null at the end of the stream.
  virtual BlobPtr ReadPacket() = 0;
  // Codec id, size and pixel format of the packets' pictures.
  virtual Conf::FormatCodecVideoPtr GetFormatCodec() = 0;
};

using StreamPtr = boost::intrusive_ptr<IStream>;
using StreamVideoPtr = boost::intrusive_ptr<IStreamVideo>;
using StreamAudioPtr = boost::intrusive_ptr<IStreamAudio>;
using StreamRawPtr = boost::intrusive_ptr<IStreamRaw>;

}  // namespace Proc
}  // namespace Zentor
