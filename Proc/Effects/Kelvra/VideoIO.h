// Image reading and writing with OpenCV's codecs: decodes a file or bytes into a new frame, or
// encodes a frame into bytes (and optionally a file) in the format of a file extension.
#pragma once

#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Effects/Kelvra/EffectOpenCV.h"
#include "Proc/Interfaces/IEffectVideoIO.h"

#include <memory>

namespace Zentor {
namespace Proc {
namespace OpenCV {

class VideoIO : public EffectOpenCVOneInput<IEffectVideoIO> {
 public:
  // What a run does: read or write.
  class Impl {
   public:
    virtual const char* GetOperation() const = 0;
    // The new frame (null when there is none); may replace the byte buffer.
    virtual DataVideoPtr Process(const DataVideoPtr& source, const Core::Property& settings, BlobPtr& blob) const = 0;
    virtual void UpdateFormatCodec(Conf::IFormatCodecVideo& codec) = 0;
    virtual ~Impl() = default;
  };
  class ImplRead;
  class ImplWrite;

  static OneInputEffectPtr Create(IEffectFactory& factory);
  explicit VideoIO(IEffectFactory& factory);
  ~VideoIO() override;

  Core::Property GetSettings() const override;
  void SetSettings(const Core::Property& settings) override;
  void UpdateFormatCodec(Conf::IFormatCodecVideo& codec) override;
  void SwapData(BlobPtr& blob) override;

 protected:
  DataVideoPtr AllocateDstFrame(const DataVideoPtr& source) override;
  void Process(const cv::Mat& source, cv::Mat& destination) override;

 private:
  EffectFactoryPtr factory_;
  Core::Property settings_;
  std::unique_ptr<Impl> impl_;
  BlobPtr blob_;
};

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
