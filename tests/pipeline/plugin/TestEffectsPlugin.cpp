// Test effects: "TestInvert" (one input) under the implementation names "First" and "Second", and
// "TestAdd" (two inputs) under "First". Each reports its implementation name in its settings.
#include "Platform/ComponentHub/CoreManager.h"

#include <string>

namespace {

using namespace Zentor;
using namespace Zentor::Proc;

template <class Interface>
class TestEffect : public RefCounted<Interface> {
 public:
  TestEffect(std::string classId, std::string implName) : classId_(std::move(classId)), implName_(std::move(implName)) {}

  Core::Property GetSettings() const override {
    Core::Property settings(classId_);
    settings.SetChildT(ImplNames::NAME, implName_);
    return settings;
  }
  void SetSettings(const Core::Property&) override {}
  void Reset() override {}
  Core::Property GetStatistic() const override { return Core::Property(std::string()); }
  void SetProgressController(const Core::ProgressControllerPtr&) override {}
  void UpdateFormatCodec(Conf::IFormatCodecVideo&) override {}

 private:
  std::string classId_;
  std::string implName_;
};

// Inverts plane 0 into a new frame.
class Invert : public TestEffect<IOneInputEffectVideo> {
 public:
  using TestEffect::TestEffect;
  void Process(DataVideoPtr& frame) override {
    DataVideoPtr result = DataVideoFF::Create(frame->GetPixelFormat(), frame->GetWidth(), frame->GetHeight());
    const Picture& in = frame->GetPicture();
    Picture& out = result->GetPicture();
    const int rowBytes = GetPlaneRowBytes(frame->GetPixelFormat(), 0, frame->GetWidth());
    for (uint32_t y = 0; y < frame->GetHeight(); ++y) {
      for (int x = 0; x < rowBytes; ++x) out.data[0][y * out.linesize[0] + x] = 255 - in.data[0][y * in.linesize[0] + x];
    }
    frame = result;
  }
};

// Adds the second input's plane 0 to the first's, in place.
class Add : public TestEffect<ITwoInputEffectVideo> {
 public:
  using TestEffect::TestEffect;
  void Process(DataVideoPtr& frame, const DataVideoPtr& second) override {
    Picture& a = frame->GetPicture();
    const Picture& b = second->GetPicture();
    const int rowBytes = GetPlaneRowBytes(frame->GetPixelFormat(), 0, frame->GetWidth());
    for (uint32_t y = 0; y < frame->GetHeight(); ++y) {
      for (int x = 0; x < rowBytes; ++x) a.data[0][y * a.linesize[0] + x] += b.data[0][y * b.linesize[0] + x];
    }
  }
};

}  // namespace

extern "C" __attribute__((visibility("default"))) void Registrator(IEffectRegistry& registry) {
  registry.RegisterOneInput(
      "TestInvert", "First", [](IEffectFactory&) { return OneInputEffectPtr(new Invert("TestInvert", "First")); }, 0);
  registry.RegisterOneInput(
      "TestInvert", "Second", [](IEffectFactory&) { return OneInputEffectPtr(new Invert("TestInvert", "Second")); },
      0);
  registry.RegisterTwoInput(
      "TestAdd", "First", [](IEffectFactory&) { return TwoInputEffectPtr(new Add("TestAdd", "First")); }, 0);
  // Answers no effect at all.
  registry.RegisterOneInput("TestNull", "First", [](IEffectFactory&) { return OneInputEffectPtr(); }, 0);
}
