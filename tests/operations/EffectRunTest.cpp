#include "OperationsSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "Proc/Interfaces/IEffectGrayscale.h"

using namespace OperationsTest;
namespace G = Zentor::Glimra;
using Zentor::Proc::DataVideoPtr;

namespace {

// Effects under class ids of their own, so they run without a preparation row (synchronously).
class FakeEffect : public Zentor::RefCounted<Zentor::Proc::IOneInputEffectVideo> {
 public:
  enum Kind { THROWS, NO_FRAME, WAITS_FOR_STOP, IGNORES_STOP };
  explicit FakeEffect(Kind kind) : kind_(kind) {}

  Property GetSettings() const override { return Property(std::string()); }
  void SetSettings(const Property&) override {}
  void Reset() override {}
  Property GetStatistic() const override { return Property(std::string()); }
  void SetProgressController(const Zentor::Core::ProgressControllerPtr& controller) override { progress_ = controller; }
  void UpdateFormatCodec(Zentor::Conf::IFormatCodecVideo&) override {}
  void Process(DataVideoPtr& frame) override {
    switch (kind_) {
      case THROWS:
        ZENTOR_THROW_DESC(Zentor::Proc::EffectException, "broken on purpose");
      case NO_FRAME:
        frame.reset();
        return;
      case WAITS_FOR_STOP:
      case IGNORES_STOP: {
        progress_->SetMaximum(10);
        progress_->SetProgress(3);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(kind_ == WAITS_FOR_STOP ? 60 : 1);
        while (std::chrono::steady_clock::now() < end && (kind_ == IGNORES_STOP || !progress_->CheckForStop())) {
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        frame = frame->CreateCopy();
        return;
      }
    }
  }

 private:
  Kind kind_;
  Zentor::Core::ProgressControllerPtr progress_;
};

void RegisterFakes() {
  auto& registry = Zentor::Core::CoreManager::Instance().GetRegistry();
  const auto add = [&registry](const char* classId, FakeEffect::Kind kind) {
    registry.RegisterOneInput(classId, "TEST",
                              [kind](Zentor::Proc::IEffectFactory&) {
                                return Zentor::Proc::OneInputEffectPtr(new FakeEffect(kind));
                              },
                              0);
  };
  add("$$TestThrows$$", FakeEffect::THROWS);
  add("TestNoFrame", FakeEffect::NO_FRAME);
  add("TestWaitsForStop", FakeEffect::WAITS_FOR_STOP);
  add("TestIgnoresStop", FakeEffect::IGNORES_STOP);
}

class EffectRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterFakes(); }
};

// Cancels through the controller's client once the effect reports its maximum.
std::thread CancelWhenRunning(Fixture& f) {
  return std::thread([&f] {
    if (f.controller->WaitForMaximum()) f.controller->Client()->Stop(true);
  });
}

}  // namespace

TEST_F(EffectRun, InpaintingRunsAloneAndBlocksOtherRequests) {
  Fixture f;
  DataVideoPtr mask = MaskFrame(100, 100, 40, 40, 12, 12);
  f.engine->SetMask(mask);
  const DataVideoPtr before = f.Store().GetVideo();
  f.controller->CloseGate();
  f.engine->ApplyEffect(Preset(Zentor::Proc::IEffectInpaint::CLASS_ID), false);
  // The effect is held inside its first progress call: ApplyEffect came back before the end.
  ASSERT_TRUE(f.controller->WaitForMaximum());
  EXPECT_EQ(1u, f.Steps());
  f.engine->ApplyEffect(RotatePreset(90), true);
  f.engine->ApplyEffect(Property(std::string()), false);
  f.controller->OpenGate();
  ASSERT_EQ(2, f.controller->WaitForOutcome());
  const std::vector<Zentor::Core::IProgressController::NotifyEvent> events = f.controller->Events();
  EXPECT_EQ(Zentor::Core::IProgressController::EVENT_START, events.front());

  // One step: the inpainting; the rotation and the reset were dropped.
  f.engine->ApplyEffect(FlipPreset(), false);
  EXPECT_EQ(3u, f.Steps());
  f.engine->Undo();
  const DataVideoPtr inpainted = f.Store().GetVideo();
  EXPECT_EQ(100u, inpainted->GetWidth());
  EXPECT_FALSE(f.Store().GetMask());
  EXPECT_FALSE(SamePixels(*before, *inpainted));
  EXPECT_TRUE(f.errors.Get().empty());
  EXPECT_EQ(1, f.statistics.Count("EffectInpaint_SUCCESS"));
  EXPECT_EQ(1, f.statistics.Count("Flip_SUCCESS"));
}

TEST_F(EffectRun, StopCancelsWithoutAStep) {
  Fixture f;
  std::thread cancel = CancelWhenRunning(f);
  f.engine->ApplyEffect(Preset("TestWaitsForStop"), false);
  cancel.join();
  EXPECT_EQ(3, f.controller->WaitForOutcome());
  EXPECT_EQ(1u, f.Steps());
  EXPECT_EQ(1, f.statistics.Count("TestWaitsForStop_CANCEL"));
  EXPECT_TRUE(f.errors.Get().empty());
  EXPECT_EQ(0, Zentor::Core::GetValue<long long>(f.engine->GetStatistic()["Count"]));

  // Suppressed statistics stay silent for a cancel.
  f.controller->Clear();
  Property quiet = Preset("TestWaitsForStop");
  quiet.SetChildT(G::IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS, true);
  cancel = CancelWhenRunning(f);
  f.engine->ApplyEffect(quiet, false);
  cancel.join();
  EXPECT_EQ(3, f.controller->WaitForOutcome());
  EXPECT_EQ(1, f.statistics.Count("TestWaitsForStop_CANCEL"));
}

TEST_F(EffectRun, EffectIgnoringStopIsWaitedFor) {
  Fixture f;
  std::thread cancel = CancelWhenRunning(f);
  f.engine->ApplyEffect(Preset("TestIgnoresStop"), false);
  cancel.join();
  EXPECT_EQ(3, f.controller->WaitForOutcome());
  EXPECT_EQ(1u, f.Steps());
}

TEST_F(EffectRun, FailureReachesEveryHandlerAndStatistics) {
  Fixture f;
  Errors second;
  f.engine->RegisterCoreEventHandler(&second);
  Property preset = Preset("$$TestThrows$$");
  preset.SetChildT(G::IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS, true);
  f.engine->ApplyEffect(preset, false);
  EXPECT_EQ(4, f.controller->WaitForOutcome());
  EXPECT_EQ(1u, f.Steps());
  ASSERT_EQ(1u, f.errors.Get().size());
  ASSERT_EQ(1u, second.Get().size());
  EXPECT_TRUE(IsA<Zentor::Proc::EffectException>(second.Get()[0]));
  const auto events = f.statistics.Events();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ("TestThrows_ERROR", events[0].first);
  EXPECT_EQ("broken on purpose", events[0].second.at("ERROR"));
  EXPECT_EQ("YES", events[0].second.at("tagEffectSettingsHelperNoStatistics"));

  // A helper refusal fails the run the same way.
  f.controller->Clear();
  f.engine->ApplyEffect(Preset(Zentor::Proc::IEffectInpaint::CLASS_ID), true);
  EXPECT_EQ(4, f.controller->WaitForOutcome());
  ASSERT_EQ(2u, f.errors.Get().size());
  EXPECT_TRUE(IsA<G::TooSmallSelectionException>(f.errors.Get()[1]));
  EXPECT_EQ(1, f.statistics.Count("EffectInpaint_ERROR"));
}

TEST_F(EffectRun, NoResultStillEnds) {
  Fixture f;
  f.engine->ApplyEffect(Preset("TestNoFrame"), false);
  EXPECT_EQ(3, f.controller->WaitForOutcome());
  EXPECT_EQ(1u, f.Steps());
  EXPECT_EQ(1, f.statistics.Count("TestNoFrame_CANCEL"));
  // The engine takes the next request.
  f.engine->ApplyEffect(RotatePreset(180), false);
  EXPECT_EQ(2u, f.Steps());
}

TEST_F(EffectRun, CropOfTheWholePictureCommitsNothing) {
  Fixture f;
  f.engine->ApplyEffect(CropPreset(0, 0, 100, 100), false);
  EXPECT_EQ(2, f.controller->WaitForOutcome());
  EXPECT_EQ(1u, f.Steps());
  EXPECT_EQ(1, f.statistics.Count("EffectCrop_SUCCESS"));
  for (auto e : f.controller->Events()) EXPECT_NE(Zentor::Core::IProgressController::EVENT_START, e);
}

TEST_F(EffectRun, UndoSetReplacesTheStep) {
  Fixture f("", 100, 60);
  f.engine->ApplyEffect(RotatePreset(90), false);
  ASSERT_EQ(2u, f.Steps());
  Property again = RotatePreset(90);
  again.SetChildT(G::IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET, true);
  f.engine->ApplyEffect(again, false);
  EXPECT_EQ(2u, f.Steps());
  EXPECT_EQ(100u, f.Store().GetVideo()->GetWidth());
  // The effect tree of the step holds the latest preset without the flag.
  const Property& es = f.engine->GetSettings()[G::IGlimraDrawer::TAG_EFFECT_SETTINGS];
  EXPECT_FALSE(es[G::IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE][size_t(0)].ChildExists(
      G::IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET));
  f.engine->Undo();
  EXPECT_EQ(100u, f.Store().GetVideo()->GetWidth());
  EXPECT_EQ(60u, f.Store().GetVideo()->GetHeight());
  EXPECT_EQ(2, Zentor::Core::GetValue<long long>(f.engine->GetStatistic()["Count"]));
}

TEST_F(EffectRun, MaskFollowsTheEffect) {
  Fixture f("", 100, 60);
  DataVideoPtr mask = MaskFrame(100, 60, 0, 0, 10, 5);
  f.engine->SetMask(mask);
  // Geometry moves the selection with the picture.
  f.engine->ApplyEffect(RotatePreset(90), false);
  ASSERT_TRUE(f.Store().GetMask());
  EXPECT_EQ(60u, f.Store().GetMask()->GetWidth());
  const Zentor::Proc::CropInfo rect = f.Store().GetMaskInfo();
  EXPECT_EQ(55u, rect.left);
  EXPECT_EQ(0u, rect.top);
  EXPECT_EQ(10u, rect.bottom);
  // Tone effects keep it; changing it in the new step leaves the old step's intact.
  f.engine->ApplyEffect(Preset(Zentor::Proc::IEffectGrayscale::CLASS_ID), false);
  EXPECT_EQ(50u, f.Store().GetMaskPixelCount());
  f.engine->PaintReset();
  f.engine->Undo();
  f.engine->Undo();
  EXPECT_EQ(50u, f.Store().GetMaskPixelCount());
  // An empty preset goes back to the loaded picture, without a selection.
  f.engine->Redo();
  f.engine->ApplyEffect(Property(std::string()), false);
  EXPECT_FALSE(f.Store().GetMask());
  EXPECT_EQ(100u, f.Store().GetVideo()->GetWidth());
  EXPECT_TRUE(SamePixels(*f.Store().GetSourceVideo(), *f.Store().GetVideo()));
}

TEST_F(EffectRun, DebugAppliesGrayscale) {
  Fixture f;
  f.engine->Debug();
  EXPECT_EQ(2, f.controller->WaitForOutcome());
  EXPECT_EQ(2u, f.Steps());
  const DataVideoPtr grey = f.engine->GetVideo();
  EXPECT_EQ(Byte(*grey, 50, 50, 1), Byte(*grey, 50, 50, 2));
  EXPECT_EQ(Byte(*grey, 50, 50, 2), Byte(*grey, 50, 50, 3));
}

TEST_F(EffectRun, SettingsWithoutClassIdAreRefusedAtOnce) {
  Fixture f;
  EXPECT_THROW(f.engine->ApplyEffect(Property("x"), false), G::GlimraException);
  EXPECT_TRUE(f.controller->Events().empty());
  EXPECT_TRUE(f.errors.Get().empty());
  // The engine stays usable.
  f.engine->ApplyEffect(RotatePreset(90), false);
  EXPECT_EQ(2u, f.Steps());
}

TEST_F(EffectRun, EarlyStopAndReleaseDuringARun) {
  {
    // A stop that arrives before the effect started still cancels the run.
    Fixture f;
    DataVideoPtr mask = MaskFrame(100, 100, 40, 40, 12, 12);
    f.engine->SetMask(mask);
    f.controller->CloseGate();
    f.engine->ApplyEffect(Preset(Zentor::Proc::IEffectInpaint::CLASS_ID), false);
    f.engine->Stop(true);
    f.controller->OpenGate();
    EXPECT_EQ(3, f.controller->WaitForOutcome());
    EXPECT_EQ(1u, f.Steps());
    EXPECT_EQ(1, f.statistics.Count("EffectInpaint_CANCEL"));
  }
  {
    // Releasing the engine stops the run and waits for its end.
    Fixture f;
    DataVideoPtr mask = MaskFrame(100, 100, 40, 40, 12, 12);
    f.engine->SetMask(mask);
    f.controller->CloseGate();
    f.engine->ApplyEffect(Preset(Zentor::Proc::IEffectInpaint::CLASS_ID), false);
    ASSERT_TRUE(f.controller->WaitForMaximum());
    std::thread opener([&f] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      f.controller->OpenGate();
    });
    f.engine.reset();
    opener.join();
    EXPECT_EQ(3, f.controller->WaitForOutcome());
    EXPECT_EQ(nullptr, f.controller->Client());
  }
}

TEST_F(EffectRun, FailedSwapAfterTheCommitKeepsTheStep) {
  TempFolder folder;
  Errors errors;
  Statistics statistics;
  auto failing = std::make_shared<bool>(false);
  auto names = NameGenerator();
  Glimra::IGlimraCore::Initializer init = MakeInit(folder, WritePng(folder, "p.png", 100, 100), nullptr);
  init.statisticsHandler = &statistics;
  init.tempNameGenerator = [failing, names] { return (*failing ? "missing-folder/" : "") + names(); };
  boost::intrusive_ptr<TestEngine> engine = MakeTestEngine(init);
  boost::intrusive_ptr<Controller> controller(new Controller);
  engine->SetProgressController(controller);
  engine->RegisterCoreEventHandler(&errors);

  // The step is stored; swapping out the older one then fails.
  engine->Store().SetSwapThreshold(0);
  *failing = true;
  engine->ApplyEffect(RotatePreset(180), false);
  EXPECT_EQ(2, controller->WaitForOutcome());
  EXPECT_EQ(2u, engine->Store().GetStepCount());
  ASSERT_EQ(1u, errors.Get().size());
  EXPECT_TRUE(IsA<G::IOExceptionTempFolder>(errors.Get()[0]));
  EXPECT_EQ(1, Zentor::Core::GetValue<long long>(engine->GetStatistic()["Count"]));
  *failing = false;
  engine->Store().SetSwapThreshold(G::GlimraUndo::DEFAULT_SWAP_THRESHOLD);
  engine->Undo();
  EXPECT_TRUE(engine->Store().GetVideo());
}
