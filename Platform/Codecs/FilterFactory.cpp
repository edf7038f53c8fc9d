#include "Platform/Codecs/CodecFactory.h"

#include "Platform/ComponentHub/CoreManager.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace Zentor {
namespace Proc {

const char* const IFilterApplyEffectsVideo::CLASS_ID = "$$FILTER_APPLY_EFFECTS_VIDEO$$";
const char* const IFilterApplyEffectsVideo::EFFECTS = "effects";

IFilterApplyEffectsVideo::~IFilterApplyEffectsVideo() = default;
IFilterFactory::~IFilterFactory() = default;

namespace {

class FilterApplyEffectsVideo : public RefCounted<IFilterApplyEffectsVideo> {
 public:
  FilterApplyEffectsVideo(StreamVideoPtr source, std::string implName)
      : source_(std::move(source)), implName_(std::move(implName)) {
    if (!source_) ZENTOR_THROW_DESC(EffectException, "No stream to filter");
  }

  // Makes the effects of the settings; without an EFFECTS group the filter passes frames unchanged.
  void Initialize(const Core::Property& settings) override {
    std::vector<OneInputEffectPtr> effects;
    if (settings.GetType() == PT_GROUP) {
      auto list = settings.FindChild(EFFECTS);
      if (list != settings.end() && list->GetType() == PT_GROUP) {
        EffectFactoryPtr factory = Core::CoreManager::Instance().GetEffectFactory();
        for (const Core::Property& effectSettings : *list) {
          OneInputEffectPtr effect = factory->CreateOneInputVideo(effectSettings.GetName(), implName_);
          effect->SetSettings(effectSettings);
          effects.push_back(effect);
        }
      }
    }
    std::lock_guard<std::mutex> guard(lock_);
    settings_ = settings;
    effects_ = std::move(effects);
  }

  Core::Property GetSettings() const override {
    std::lock_guard<std::mutex> guard(lock_);
    return settings_;
  }
  int64_t GetDuration() const override { return source_->GetDuration(); }
  int64_t GetPosition() const override { return source_->GetPosition(); }
  DataPtr ReadStream() override { return DataPtr(Read().get()); }
  void RequestSeek(int64_t position, IStream*) override { source_->RequestSeek(position, this); }
  void DoSeek() override { source_->DoSeek(); }
  bool GetSeekResult() const override { return source_->GetSeekResult(); }
  Core::Property GetStatistic() const override { return Core::Property(std::string()); }
  void Terminate() override { source_->Terminate(); }
  bool IsTerminated() const override { return source_->IsTerminated(); }
  void ReleaseInternalData() override { source_->ReleaseInternalData(); }

  // The source's next frame after every effect; the effects return new frames, the source's stays as it was.
  DataVideoPtr Read() override {
    DataVideoPtr frame = source_->Read();
    if (!frame) return frame;
    std::lock_guard<std::mutex> guard(lock_);
    for (const OneInputEffectPtr& effect : effects_) effect->Process(frame);
    return frame;
  }

  Conf::FormatCodecVideoPtr GetFormatCodec() override {
    Conf::FormatCodecVideoPtr codec = source_->GetFormatCodec();
    std::lock_guard<std::mutex> guard(lock_);
    for (const OneInputEffectPtr& effect : effects_) effect->UpdateFormatCodec(*codec);
    return codec;
  }

 private:
  StreamVideoPtr source_;
  std::string implName_;
  mutable std::mutex lock_;
  Core::Property settings_;
  std::vector<OneInputEffectPtr> effects_;
};

class FilterFactory : public RefCounted<IFilterFactory> {
 public:
  FilterApplyEffectsVideoPtr CreateApplyEffectsVideo(const StreamVideoPtr& source, const std::string& implName) override {
    return FilterApplyEffectsVideoPtr(new FilterApplyEffectsVideo(source, implName));
  }
};

}  // namespace
}  // namespace Proc

namespace Core {

Proc::FilterFactoryPtr GetFilterFactory() {
  static const Proc::FilterFactoryPtr factory(new Proc::FilterFactory());
  return factory;
}

}  // namespace Core
}  // namespace Zentor
