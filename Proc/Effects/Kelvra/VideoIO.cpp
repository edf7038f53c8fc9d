#include "Proc/Effects/Kelvra/VideoIO.h"

#include "Platform/FileIo/DataFile.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"

#include <glog/logging.h>

#include <utility>

namespace Zentor {
namespace Proc {
namespace OpenCV {
namespace {

std::string FileName(const Core::Property& settings) {
  std::string path;
  Core::GetValue(path, settings, Conf::IFormatFile::TAG_FILENAME);
  return path;
}

}  // namespace

class VideoIO::ImplRead : public VideoIO::Impl {
 public:
  const char* GetOperation() const override { return IEffectVideoIO::READ; }

  DataVideoPtr Process(const DataVideoPtr&, const Core::Property& settings, BlobPtr& blob) const override {
    const std::string path = FileName(settings);
    DataVideoPtr frame;
    if (!path.empty()) {
      frame = Utils::Decode(path);
    } else if (blob) {
      frame = Utils::Decode(blob->Data(), blob->Size());
    } else {
      LOG(WARNING) << "Nothing to decode: neither a file name nor bytes were given";
    }
    if (frame) {
      width_ = frame->GetWidth();
      height_ = frame->GetHeight();
      aspectX_ = frame->GetAspectX();
      aspectY_ = frame->GetAspectY();
    }
    return frame;
  }

  void UpdateFormatCodec(Conf::IFormatCodecVideo& codec) override {
    Core::Property settings = codec.GetSettings();
    settings.SetChildT(Conf::IFormatCodec::TAG_CODEC_ID, std::string(Conf::IFormatCodec::CODEC_ID_NONE));
    codec.SetSettings(settings);
    codec.InitByPixelAspect(width_, height_, aspectX_, aspectY_);
  }

 private:
  mutable uint32_t width_ = 0;
  mutable uint32_t height_ = 0;
  mutable uint32_t aspectX_ = 0;
  mutable uint32_t aspectY_ = 0;
};

class VideoIO::ImplWrite : public VideoIO::Impl {
 public:
  explicit ImplWrite(IEffectFactory& factory)
      : converter_(factory.CreateOneInputVideo(IColorSpaceConverter::CLASS_ID, ImplNames::DEFAULT)) {
    converter_->SetSettings(
        IColorSpaceConverter::MakeSettings({AV_PIX_FMT_GRAY8, AV_PIX_FMT_BGR24, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0}));
  }

  const char* GetOperation() const override { return IEffectVideoIO::WRITE; }

  DataVideoPtr Process(const DataVideoPtr& source, const Core::Property& settings, BlobPtr& blob) const override {
    if (!source) ZENTOR_THROW_DESC(EffectException, "Effect has no input frame");
    DataVideoPtr frame = source->CreateView();
    converter_->Process(frame);
    BlobPtr encoded = Utils::Encode(frame, settings);
    const std::string path = FileName(settings);
    if (!path.empty()) {
      Core::DataOutputPtr file = Core::DataOutputFile::Create(path);
      file->Write(encoded->Data(), encoded->Size());
      file->Commit();
    }
    blob = encoded;
    return nullptr;
  }

  void UpdateFormatCodec(Conf::IFormatCodecVideo&) override {}

 private:
  OneInputEffectPtr converter_;
};

OneInputEffectPtr VideoIO::Create(IEffectFactory& factory) { return OneInputEffectPtr(new RefCounted<VideoIO>(factory)); }

VideoIO::VideoIO(IEffectFactory& factory) : factory_(&factory), settings_(std::string()) {}

VideoIO::~VideoIO() = default;

Core::Property VideoIO::GetSettings() const { return settings_; }

void VideoIO::SetSettings(const Core::Property& settings) {
  settings_ = Core::Property(std::string());
  // A refused tree leaves no strategy behind: the effect is unconfigured until a good one comes.
  impl_.reset();
  CheckSettings(settings);
  if (!settings.ChildExists(IEffectVideoIO::OPERATION)) ZENTOR_THROW_DESC(EffectException, "Operation required");
  const std::string operation = Core::GetValue<std::string>(settings[IEffectVideoIO::OPERATION]);
  if (operation == IEffectVideoIO::READ) {
    impl_.reset(new ImplRead());
  } else if (operation == IEffectVideoIO::WRITE) {
    impl_.reset(new ImplWrite(*factory_));
  } else {
    ZENTOR_THROW_DESC(EffectException, "Unknown operation: " + operation);
  }
  settings_ = settings;
}

void VideoIO::UpdateFormatCodec(Conf::IFormatCodecVideo& codec) {
  if (impl_) impl_->UpdateFormatCodec(codec);
}

void VideoIO::SwapData(BlobPtr& blob) { std::swap(blob_, blob); }

DataVideoPtr VideoIO::AllocateDstFrame(const DataVideoPtr& source) {
  if (!impl_) ZENTOR_THROW_DESC(EffectException, "Effect was not initialized yet");
  return impl_->Process(source, settings_, blob_);
}

void VideoIO::Process(const cv::Mat&, cv::Mat&) {}

}  // namespace OpenCV
}  // namespace Proc
}  // namespace Zentor
