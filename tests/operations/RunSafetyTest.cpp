// The engine while an inpainting run goes on alone: the queries from the calling thread, the edits
// it refuses and a stop during the commit.
#include "OperationsSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "Platform/FileIo/DataFile.h"

#include <boost/filesystem.hpp>

#include <functional>
#include <set>

using namespace OperationsTest;
namespace G = Zentor::Glimra;
using Zentor::Proc::DataVideoPtr;
using Zentor::Proc::IEffectInpaint;

namespace {

// FNV-1a over the visible bytes of plane 0, with the size.
uint64_t Fingerprint(const Zentor::Proc::IDataVideo& frame) {
  uint64_t hash = 1469598103934665603ULL;
  const auto add = [&hash](uint8_t byte) { hash = (hash ^ byte) * 1099511628211ULL; };
  const auto& picture = frame.GetPicture();
  const int row = Zentor::Proc::GetPlaneRowBytes(frame.GetPixelFormat(), 0, frame.GetWidth());
  for (uint32_t y = 0; y < frame.GetHeight(); ++y) {
    const uint8_t* bytes = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    for (int x = 0; x < row; ++x) add(bytes[x]);
  }
  for (int shift = 0; shift < 32; shift += 8) add(uint8_t(frame.GetWidth() >> shift));
  return hash;
}

// Frame information as the store keeps it: the loaded picture's, or that with an inpainting.
bool WellFormed(const Property& settings) {
  if (settings.GetName() != G::IGlimraUndo::TAG_FRAME_INFO) return false;
  if (!settings.ChildExists(G::IGlimraDrawer::TAG_EFFECT_SETTINGS)) return true;
  const Property& image = settings[G::IGlimraDrawer::TAG_EFFECT_SETTINGS][G::IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE];
  return image.Count() == 1 && image[size_t(0)].GetName() == IEffectInpaint::CLASS_ID;
}

// Blocks the commit of a run inside its drawer event until released (at most ten seconds), and
// looks at the engine from there.
class BlockingDrawer : public G::IDrawerEventHandler {
 public:
  BlockingDrawer(G::IGlimraCore& engine, std::thread::id caller) : engine_(engine), caller_(caller) {}
  void HandleEvent() override {
    if (std::this_thread::get_id() == caller_) return;
    std::unique_lock<std::mutex> lock(mutex_);
    sawNewStep_ = engine_.GetSettings().ChildExists(G::IGlimraDrawer::TAG_EFFECT_SETTINGS) &&
                  !engine_.HasPaintedArea() && engine_.IsUndoEnabled();
    entered_ = true;
    changed_.notify_all();
    released_ = changed_.wait_for(lock, std::chrono::seconds(10), [this] { return release_; });
  }
  void HandleEventChangeToSave(bool) override {}

  bool WaitUntilEntered() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1), [this] { return entered_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    release_ = true;
    changed_.notify_all();
  }
  bool Released() {
    std::lock_guard<std::mutex> lock(mutex_);
    return released_;
  }
  bool SawNewStep() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sawNewStep_;
  }

 private:
  G::IGlimraCore& engine_;
  const std::thread::id caller_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool entered_ = false;
  bool release_ = false;
  bool released_ = false;
  bool sawNewStep_ = false;
};

bool Ended(Controller& controller) {
  for (IProgressController::NotifyEvent event : controller.Events()) {
    if (event != IProgressController::EVENT_START) return true;
  }
  return false;
}

}  // namespace

TEST(RunSafety, QueriesDuringBackgroundInpaintingsSeeOneStateAtATime) {
  Fixture f(std::string(), 48, 40);
  // Every step goes to a swap file as soon as it is not current.
  f.Store().SetSwapThreshold(1);
  std::set<uint64_t> seen;
  int queries = 0;
  for (int run = 0; run < 50; ++run) {
    DataVideoPtr mask = MaskFrame(48, 40, uint32_t(run % 40), uint32_t(run % 34), 4, 4);
    f.engine->SetMask(mask);
    const uint64_t before = Fingerprint(*f.engine->GetVideo());
    f.controller->Clear();
    f.engine->ApplyEffect(Preset(IEffectInpaint::CLASS_ID), false);
    seen.clear();
    // As the program does: ask for everything until the outcome arrives.
    while (!Ended(*f.controller)) {
      const DataVideoPtr video = f.engine->GetVideo();
      ASSERT_TRUE(video);
      seen.insert(Fingerprint(*video));
      const Property settings = f.engine->GetSettings();
      ASSERT_TRUE(WellFormed(settings)) << run;
      const Property brush = f.engine->GetBrushSettings();
      const Property paint = f.engine->GetPaintSettings();
      EXPECT_TRUE(f.engine->IsUndoEnabled());
      EXPECT_FALSE(f.engine->IsRedoEnabled());
      f.engine->HasPaintedArea();
      EXPECT_TRUE(f.engine->HasChange());
      const Property metadata = f.engine->GetMetadata();
      EXPECT_FALSE(f.engine->GetThumbnail());
      const Zentor::Conf::FormatCodecVideoPtr codec = f.engine->GetFormatCodec();
      EXPECT_TRUE(codec);
      const Property statistic = f.engine->GetStatistic();
      ++queries;
    }
    ASSERT_EQ(2, f.controller->WaitForOutcome()) << run;
    const uint64_t after = Fingerprint(*f.engine->GetVideo());
    ASSERT_NE(before, after);
    for (uint64_t print : seen) ASSERT_TRUE(print == before || print == after) << run;
  }
  EXPECT_EQ(51u, f.Steps());
  EXPECT_TRUE(f.errors.Get().empty());
  EXPECT_GT(queries, 50);
}

TEST(RunSafety, EditsAreRefusedWhileARunIsUnderWay) {
  Fixture f;
  const std::string maskFile = f.folder.File("mask.pgm");
  DataVideoPtr mask = MaskFrame(100, 100, 40, 40, 12, 12);
  f.engine->SetMask(mask);
  f.engine->SaveMask(maskFile);
  f.engine->SetBrush(BrushSettings(5));
  f.engine->PaintInit(PaintSettings(G::IGlimraDrawer::SEL_BRUSH));
  f.engine->PaintStart(10, 10);
  Property save = f.engine->GetDefaultSaveSettings();
  save.SetChildT(Zentor::Conf::IFormatFile::TAG_FILENAME, f.folder.File("saved.png"));
  const Property defaults = f.engine->GetDefaultSaveSettings();
  const DataVideoPtr picture = f.Store().GetVideo();
  const uint64_t pixels = f.Store().GetMaskPixelCount();
  const Zentor::Proc::CropInfo bounds = f.Store().GetMaskInfo();
  const bool saved = f.Store().IsSaved();
  const uint32_t index = f.Store().GetIndex();

  f.controller->CloseGate();
  f.engine->ApplyEffect(Preset(IEffectInpaint::CLASS_ID), false);
  ASSERT_TRUE(f.controller->WaitForMaximum());
  {
    LogCapture log(google::GLOG_WARNING);
    f.engine->Undo();
    f.engine->Redo();
    f.engine->Reset();
    DataVideoPtr other = MaskFrame(100, 100, 0, 0, 5, 5);
    f.engine->SetMask(other);
    f.engine->LoadMask(maskFile);
    f.engine->ResizePaintedArea(1);
    f.engine->Save(save);
    f.engine->SaveMask(f.folder.File("other.pgm"));
    f.engine->PaintStop(20, 20);
    int refusals = 0;
    for (const auto& line : log.Lines()) refusals += line.second.find("an effect is running") != std::string::npos;
    EXPECT_EQ(9, refusals);
  }
  const auto refusedWithText = [](const std::function<void()>& call) {
    try {
      call();
    } catch (const G::GlimraException& e) {
      const std::string* text = boost::get_error_info<Zentor::TagDescription>(e);
      return text && *text == "An effect is running";
    }
    return false;
  };
  EXPECT_TRUE(refusedWithText([&f] { f.engine->Paint(30, 30); }));
  EXPECT_TRUE(refusedWithText([&f] { f.engine->PaintStart(30, 30); }));
  EXPECT_TRUE(refusedWithText([&f] { f.engine->PaintReset(); }));
  EXPECT_TRUE(refusedWithText([&f] { f.engine->SaveSession(); }));

  EXPECT_EQ(1u, f.Steps());
  EXPECT_EQ(index, f.Store().GetIndex());
  EXPECT_EQ(picture, f.Store().GetVideo());
  EXPECT_EQ(pixels, f.Store().GetMaskPixelCount());
  EXPECT_EQ(bounds, f.Store().GetMaskInfo());
  EXPECT_EQ(saved, f.Store().IsSaved());
  EXPECT_EQ(defaults, f.engine->GetDefaultSaveSettings());
  EXPECT_FALSE(boost::filesystem::exists(f.folder.File("saved.png")));
  EXPECT_FALSE(boost::filesystem::exists(f.folder.File("other.pgm")));
  EXPECT_FALSE(boost::filesystem::exists(f.folder.File("last.json")));
  EXPECT_TRUE(f.errors.Get().empty());

  // After the outcome the same edits go through again.
  f.controller->OpenGate();
  ASSERT_EQ(2, f.controller->WaitForOutcome());
  EXPECT_EQ(2u, f.Steps());
  f.engine->Undo();
  EXPECT_EQ(0u, f.Store().GetIndex());
  EXPECT_TRUE(f.errors.Get().empty());
}

TEST(RunSafety, StopAndReleaseDuringTheCommit) {
  Fixture f;
  BlockingDrawer drawer(*f.engine, std::this_thread::get_id());
  f.engine->RegisterDrawerEventHandler(&drawer);
  DataVideoPtr mask = MaskFrame(100, 100, 40, 40, 12, 12);
  f.engine->SetMask(mask);
  f.engine->ApplyEffect(Preset(IEffectInpaint::CLASS_ID), false);
  ASSERT_TRUE(drawer.WaitUntilEntered());
  // The commit is held inside its drawer event; the stop must come back before it is let go.
  f.engine->Stop(true);
  // Releasing the engine now waits for the commit to end.
  std::thread releaser([&f] { f.engine.reset(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  drawer.Release();
  releaser.join();
  EXPECT_TRUE(drawer.Released());
  EXPECT_TRUE(drawer.SawNewStep());
  EXPECT_EQ(2, f.controller->WaitForOutcome());
  EXPECT_EQ(1, f.statistics.Count("EffectInpaint_SUCCESS"));
  EXPECT_EQ(nullptr, f.controller->Client());
}
