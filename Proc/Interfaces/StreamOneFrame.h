// A stream that holds exactly one frame: every Read returns it, it never ends and always seeks.
#pragma once

#include "Proc/Interfaces/IStream.h"

#include <atomic>
#include <mutex>

namespace Zentor {
namespace Proc {

template <class Interface>
class StreamOneFrame : public Interface {
 public:
  explicit StreamOneFrame(const DataVideoPtr& frame) : frame_(frame) {}
  ~StreamOneFrame() override = default;

  long AddRef() const override { return counter_.AddRef(); }
  long GetRefCount() const override { return counter_.Get(); }
  long Release() const override {
    const long left = counter_.Release();
    if (left == 0) delete this;
    return left;
  }

  void Initialize(const Core::Property&) override {}
  Core::Property GetSettings() const override { return Core::Property(std::string()); }
  int64_t GetDuration() const override { return 0; }
  int64_t GetPosition() const override { return 0; }
  DataPtr ReadStream() override {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return DataPtr(frame_.get());
  }
  void RequestSeek(int64_t, IStream*) override { terminated_ = false; }
  void DoSeek() override {}
  bool GetSeekResult() const override { return true; }
  Core::Property GetStatistic() const override { return Core::Property(std::string()); }
  void Terminate() override { terminated_ = true; }
  bool IsTerminated() const override { return terminated_; }
  void ReleaseInternalData() override {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    frame_.reset();
  }

  // The held frame (null once released); it stays held.
  DataVideoPtr ReadFrame() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return frame_;
  }

  // A new description filled by UpdateFormatCodec from the held frame.
  Conf::FormatCodecVideoPtr MakeFormatCodec() {
    Conf::FormatCodecVideoPtr codec = Conf::IFormatCodecVideo::Create();
    DataVideoPtr frame;
    {
      std::lock_guard<std::recursive_mutex> guard(lock_);
      frame = frame_;
    }
    UpdateFormatCodec(*codec, frame);
    return codec;
  }

  // Fills the description from the frame (which may be null).
  virtual void UpdateFormatCodec(Conf::IFormatCodecVideo&, const DataVideoPtr&) {}

 private:
  RefCountImpl counter_;
  std::atomic<bool> terminated_{false};
  mutable std::recursive_mutex lock_;
  DataVideoPtr frame_;
};

class ZENTOR_API StreamOneFrameVideo : public StreamOneFrame<IStreamVideo> {
 public:
  explicit StreamOneFrameVideo(const DataVideoPtr& frame);
  ~StreamOneFrameVideo() override;

  DataVideoPtr Read() override { return ReadFrame(); }
  Conf::FormatCodecVideoPtr GetFormatCodec() override { return MakeFormatCodec(); }

  // Frame rate 30/1, bitrate mode VBR, and the frame's pixel format, size and aspect.
  void UpdateFormatCodec(Conf::IFormatCodecVideo& codec, const DataVideoPtr& frame) override;
  virtual void UpdateFormatCodec(Conf::IFormatCodecVideo&) {}
};

using StreamOneFrameVideoPtr = boost::intrusive_ptr<StreamOneFrameVideo>;

}  // namespace Proc
}  // namespace Zentor
