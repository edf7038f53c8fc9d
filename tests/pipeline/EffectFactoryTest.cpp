#include "Platform/ComponentHub/CoreManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

using namespace Zentor;
using namespace Zentor::Proc;
using Zentor::Core::CoreManager;

namespace {

class NameOnlyEffect : public RefCounted<IOneInputEffectVideo> {
 public:
  explicit NameOnlyEffect(std::string implName) : implName_(std::move(implName)) {}
  Core::Property GetSettings() const override {
    Core::Property settings("Test");
    settings.SetChildT(ImplNames::NAME, implName_);
    return settings;
  }
  void SetSettings(const Core::Property&) override {}
  void Reset() override {}
  Core::Property GetStatistic() const override { return Core::Property(std::string()); }
  void SetProgressController(const Core::ProgressControllerPtr&) override {}
  void Process(DataVideoPtr&) override {}
  void UpdateFormatCodec(Conf::IFormatCodecVideo&) override {}

 private:
  std::string implName_;
};

void RegisterBuiltin(IEffectRegistry& registry) {
  registry.RegisterOneInput(
      "TestBuiltinEffect", "Builtin", [](IEffectFactory&) { return OneInputEffectPtr(new NameOnlyEffect("Builtin")); },
      0);
}

void RegisterLate(IEffectRegistry& registry) {
  registry.RegisterOneInput(
      "TestLateEffect", "Late", [](IEffectFactory&) { return OneInputEffectPtr(new NameOnlyEffect("Late")); }, 0);
}

// Runs before main, so before the manager exists.
const Core::BuiltinRegistration builtin(&RegisterBuiltin);

class NotVideo : public RefCounted<IData> {};

class ITestNotImplemented : public virtual IOneInputEffectVideo {};

std::string ImplOf(const IEffect& effect) { return Core::GetValue<std::string>(effect.GetSettings()[ImplNames::NAME]); }

template <class F>
std::string EffectError(F action) {
  try {
    action();
  } catch (const EffectException& e) {
    return GetDescription(e, "<no description>");
  }
  return "<no exception>";
}

class EffectFactoryTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::setenv("ZENTOR_PLUGIN_PATH", TEST_PLUGIN_DIR, 1);
    factory_ = CoreManager::Instance().GetEffectFactory();
  }
  static void TearDownTestSuite() { factory_.reset(); }

  static size_t IndexOf(const std::string& classId, const std::string& implName) {
    const auto entries = CoreManager::Instance().GetRegistrations();
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const RegistryEntry& e) {
      return e.classId == classId && e.implName == implName;
    });
    return it == entries.end() ? SIZE_MAX : static_cast<size_t>(it - entries.begin());
  }

  static EffectFactoryPtr factory_;
};

EffectFactoryPtr EffectFactoryTest::factory_;

}  // namespace

TEST_F(EffectFactoryTest, PluginFolderFollowsTheEnvironment) {
  EXPECT_EQ(TEST_PLUGIN_DIR, CoreManager::GetPluginFolder());
}

TEST_F(EffectFactoryTest, BuiltinsComeFirstThenPluginsInOrder) {
  const size_t builtinAt = IndexOf("TestBuiltinEffect", "Builtin");
  const size_t first = IndexOf("TestInvert", "First");
  const size_t second = IndexOf("TestInvert", "Second");
  const size_t add = IndexOf("TestAdd", "First");
  ASSERT_NE(SIZE_MAX, builtinAt);
  ASSERT_NE(SIZE_MAX, first);
  EXPECT_LT(builtinAt, first);
  EXPECT_EQ(first + 1, second);
  EXPECT_EQ(first + 2, add);
  EXPECT_TRUE(CoreManager::Instance().GetRegistrations()[add].twoInput);
  // The plug-in whose Registrator failed halfway left nothing behind; the other bad modules were skipped.
  EXPECT_EQ(SIZE_MAX, IndexOf("TestBroken", "First"));
}

TEST_F(EffectFactoryTest, DefaultResolvesToTheFirstRegistration) {
  EXPECT_EQ("First", ImplOf(*factory_->CreateOneInputVideo("TestInvert", ImplNames::DEFAULT)));
  EXPECT_EQ("Second", ImplOf(*factory_->CreateOneInputVideo("TestInvert", "Second")));
  EXPECT_EQ("First", ImplOf(*factory_->CreateTwoInputVideo("TestAdd", ImplNames::DEFAULT)));
  EXPECT_EQ("Builtin", ImplOf(*factory_->CreateOneInputVideo("TestBuiltinEffect", ImplNames::DEFAULT)));
  // Every request makes a new effect.
  EXPECT_NE(factory_->CreateOneInputVideo("TestInvert", "First"), factory_->CreateOneInputVideo("TestInvert", "First"));
}

TEST_F(EffectFactoryTest, UnknownOrMismatchedRequestsRaise) {
  EXPECT_EQ("No effect TestInvert implemented as Third",
            EffectError([] { factory_->CreateOneInputVideo("TestInvert", "Third"); }));
  EXPECT_EQ("No effect NoSuchEffect implemented as Default",
            EffectError([] { factory_->CreateOneInputVideo("NoSuchEffect", ImplNames::DEFAULT); }));
  EXPECT_EQ("Effect TestInvert implemented as First is not a two-input effect",
            EffectError([] { factory_->CreateTwoInputVideo("TestInvert", ImplNames::DEFAULT); }));
  EXPECT_EQ("Effect TestAdd implemented as First is not a one-input effect",
            EffectError([] { factory_->CreateOneInputVideo("TestAdd", "First"); }));
  EXPECT_EQ("Cannot create effect TestNull implemented as First",
            EffectError([] { factory_->CreateOneInputVideo("TestNull", ImplNames::DEFAULT); }));
  EXPECT_EQ("Cannot create effect TestInvert implemented as Default",
            EffectError([] { factory_->CreateOneInput<ITestNotImplemented>("TestInvert", ImplNames::DEFAULT); }));
}

TEST_F(EffectFactoryTest, RegistryRefusesBadAndRepeatedRegistrations) {
  IEffectRegistry& registry = CoreManager::Instance().GetRegistry();
  auto make = [](IEffectFactory&) { return OneInputEffectPtr(new NameOnlyEffect("Duplicate")); };
  EXPECT_THROW(registry.RegisterOneInput("", "Impl", make, 0), EffectException);
  EXPECT_THROW(registry.RegisterOneInput("TestX", ImplNames::DEFAULT, make, 0), EffectException);
  EXPECT_THROW(registry.RegisterOneInput("TestX", "Impl", nullptr, 0), EffectException);
  const size_t count = CoreManager::Instance().GetRegistrations().size();
  registry.RegisterOneInput("TestInvert", "First", make, 0);
  EXPECT_EQ(count, CoreManager::Instance().GetRegistrations().size());
  EXPECT_EQ("First", ImplOf(*factory_->CreateOneInputVideo("TestInvert", "First")));

  // A plug-in loaded again registers nothing twice; a missing module raises.
  CoreManager::Instance().LoadPlugin(TEST_PLUGIN_PATH);
  EXPECT_EQ(count, CoreManager::Instance().GetRegistrations().size());
  EXPECT_THROW(CoreManager::Instance().LoadPlugin(TEST_PLUGIN_DIR "/Missing.so"), Core::CoreException);
  EXPECT_THROW(CoreManager::Instance().LoadPlugin(TEST_PLUGIN_DIR "/TestNoRegistratorPlugin.so"), Core::CoreException);
}

TEST_F(EffectFactoryTest, LateBuiltinRegistratorRunsAtOnce) {
  CoreManager::AddBuiltinRegistrator(&RegisterLate);
  EXPECT_EQ("Late", ImplOf(*factory_->CreateOneInputVideo("TestLateEffect", ImplNames::DEFAULT)));
}

TEST_F(EffectFactoryTest, PluginEffectsProcessFrames) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 3, 2);
  frame->GetPicture().data[0][0] = 10;
  OneInputEffectPtr invert = factory_->CreateOneInputVideo("TestInvert", ImplNames::DEFAULT);
  DataList result = invert->ProcessData(DataList{frame});
  ASSERT_EQ(1u, result.size());
  auto* inverted = dynamic_cast<IDataVideo*>(result[0].get());
  ASSERT_NE(nullptr, inverted);
  EXPECT_NE(frame.get(), inverted);
  EXPECT_EQ(245, inverted->GetPicture().data[0][0]);
  EXPECT_EQ(255, inverted->GetPicture().data[0][inverted->GetPicture().linesize[0] + 2]);

  TwoInputEffectPtr add = factory_->CreateTwoInputVideo("TestAdd", ImplNames::DEFAULT);
  DataList sum = add->ProcessData(DataList{frame, DataPtr(inverted)});
  ASSERT_EQ(1u, sum.size());
  EXPECT_EQ(frame.get(), sum[0].get());
  EXPECT_EQ(255, frame->GetPicture().data[0][0]);
}

TEST_F(EffectFactoryTest, ProcessDataChecksItsInput) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 2, 2);
  OneInputEffectPtr one = factory_->CreateOneInputVideo("TestInvert", "First");
  TwoInputEffectPtr two = factory_->CreateTwoInputVideo("TestAdd", "First");
  auto message = [](auto action) -> std::string {
    try {
      action();
    } catch (const std::logic_error& e) {
      EXPECT_NE(nullptr, boost::get_error_info<TagCallStack>(dynamic_cast<const boost::exception&>(e)));
      return e.what();
    }
    return "<no exception>";
  };
  EXPECT_EQ("incorrect data count", message([&] { one->ProcessData(DataList{}); }));
  EXPECT_EQ("incorrect data count", message([&] { one->ProcessData(DataList{frame, frame}); }));
  EXPECT_EQ("invalid data count", message([&] { two->ProcessData(DataList{frame}); }));
  EXPECT_EQ("invalid data count", message([&] { two->ProcessData(DataList{frame, frame, frame}); }));

  const DataPtr notVideo(new NotVideo);
  EXPECT_THROW(one->ProcessData(DataList{notVideo}), std::bad_cast);
  EXPECT_THROW(one->ProcessData(DataList{DataPtr()}), std::bad_cast);
  EXPECT_THROW(two->ProcessData(DataList{frame, notVideo}), std::bad_cast);
  EXPECT_THROW(two->ProcessData(DataList{notVideo, frame}), std::bad_cast);
}

TEST_F(EffectFactoryTest, EffectsCanBeMadeFromManyThreads) {
  std::vector<std::thread> threads;
  std::atomic<int> made{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&made] {
      for (int i = 0; i < 200; ++i) {
        if (CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo("TestInvert", "Second")) ++made;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(800, made.load());
}
