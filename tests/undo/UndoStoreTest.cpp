#include "UndoTestSupport.h"

#include "GlimraCore/GlimraExceptions.h"

#include <gtest/gtest.h>

using namespace Zentor::Glimra;
using namespace UndoTest;

namespace {

constexpr uint32_t W = 40;
constexpr uint32_t H = 30;

class UndoStore : public ::testing::Test {
 protected:
  UndoStore() : store(IGlimraUndo::Create(folder.Path(), "session", Counter())), first(log, "A"), second(log, "B") {
    store->RegisterEventHandler(&first);
    store->RegisterEventHandler(&second);
  }

  // Drawer events of one change, as both handlers receive them.
  static std::vector<std::string> Events(bool changed) {
    const std::string save = changed ? ":changed" : ":saved";
    return {"A:event", "B:event", "A" + save, "B" + save};
  }
  std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

  TempFolder folder;
  GlimraUndoPtr store;
  std::vector<std::string> log;
  Recorder first;
  Recorder second;
};

}  // namespace

TEST_F(UndoStore, TwoLevelsOfUndoAndRedo) {
  const DataVideoPtr loaded = MakePicture(W, H, 1);
  store->Add(FrameInfo(), loaded, nullptr);
  EXPECT_TRUE(TakeLog().empty()) << "the first step raises no event";
  EXPECT_FALSE(store->IsUndoEnabled());

  const DataVideoPtr stroke1 = MakeMask(W, H, {2, 8, 2, 8});
  store->AddMask(stroke1, {2, 8, 2, 8});
  const DataVideoPtr both = MakeMask(W, H, {2, 8, 2, 8});
  std::memset(both->GetPicture().data[0] + 20 * both->GetPicture().linesize[0] + 20, 90, 5);
  const DataVideoPtr bothCopy = CopyOf(both);
  store->AddMask(both, {20, 25, 20, 21});
  EXPECT_EQ(TakeLog().size(), 8u);
  EXPECT_EQ(store->GetMaskPixelCount(), 41u);

  const DataVideoPtr effect = MakePicture(W, H, 50);
  store->Add(EffectInfo("blur"), effect, nullptr);
  EXPECT_EQ(TakeLog(), Events(true));
  EXPECT_EQ(store->GetMask(), nullptr);

  store->Undo();  // back to the loaded picture with both strokes
  EXPECT_EQ(TakeLog(), Events(true));
  EXPECT_TRUE(SamePixels(store->GetVideo(), loaded));
  EXPECT_TRUE(SamePixels(store->GetMask(), bothCopy));
  EXPECT_EQ(store->GetMaskInfo(), (CropInfo{2, 25, 2, 21}));

  store->Undo();  // stroke 2 goes
  EXPECT_EQ(TakeLog(), Events(true));
  EXPECT_EQ(store->GetMaskPixelCount(), 36u);
  EXPECT_EQ(store->GetMaskInfo(), (CropInfo{2, 8, 2, 8}));

  store->Redo();  // stroke 2 returns before the effect
  EXPECT_EQ(TakeLog(), Events(true));
  EXPECT_TRUE(SamePixels(store->GetMask(), bothCopy));
  EXPECT_TRUE(SamePixels(store->GetVideo(), loaded));

  store->Redo();  // the effect
  EXPECT_EQ(TakeLog(), Events(true));
  EXPECT_TRUE(SamePixels(store->GetVideo(), effect));
  EXPECT_FALSE(store->IsRedoEnabled());
  store->Redo();
  EXPECT_TRUE(TakeLog().empty());
}

TEST_F(UndoStore, NewStepsCutTheRedoTail) {
  store->Add(FrameInfo(), MakePicture(W, H, 1), nullptr);
  store->Add(EffectInfo("blur"), MakePicture(W, H, 2), nullptr);
  store->Add(EffectInfo("fill"), MakePicture(W, H, 3), nullptr);
  store->Undo();
  store->Undo();
  EXPECT_TRUE(store->IsRedoEnabled());
  store->AddMask(MakeMask(W, H, {1, 4, 1, 4}));
  EXPECT_FALSE(store->IsRedoEnabled());

  // Set keeps the steps after the current one.
  store->Add(EffectInfo("blur"), MakePicture(W, H, 4), nullptr);
  store->Undo();  // to step 0 ...
  store->Undo();  // ... and its stroke
  store->Set(EffectInfo("set"), MakePicture(W, H, 5), nullptr);
  EXPECT_TRUE(store->IsRedoEnabled());
  store->Redo();
  EXPECT_TRUE(SamePixels(store->GetVideo(), MakePicture(W, H, 4)));
}

TEST_F(UndoStore, MaskChangesThatRecordNothing) {
  store->Add(FrameInfo(), MakePicture(W, H, 1), nullptr);
  store->AddMask(MakeMask(W, H, {0, 0, 0, 0}));
  store->ResetMask();
  store->Undo();
  store->Reset();
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_FALSE(store->IsUndoEnabled());
  EXPECT_EQ(store->GetMask(), nullptr);
  EXPECT_THROW(store->AddMask(MakeMask(W + 1, H, {0, 3, 0, 3})), IncorrectSizeSelectionException);
}

TEST_F(UndoStore, UndoOfAShrinkRestoresTheWholeSelection) {
  store->Add(FrameInfo(), MakePicture(W, H, 1), nullptr);
  const DataVideoPtr block = MakeMask(W, H, {5, 15, 5, 15});
  store->AddMask(CopyOf(block));
  EXPECT_EQ(store->GetMaskPixelCount(), 100u);

  store->AddMask(MakeMask(W, H, {6, 14, 6, 14}));  // shrunk by one pixel
  EXPECT_EQ(store->GetMaskPixelCount(), 64u);
  store->Undo();
  EXPECT_EQ(store->GetMaskPixelCount(), 100u);
  EXPECT_TRUE(SamePixels(store->GetMask(), block));
  EXPECT_EQ(store->GetMaskInfo(), (CropInfo{5, 15, 5, 15}));

  store->ResetMask();
  EXPECT_EQ(store->GetMask(), nullptr);
  store->Undo();
  EXPECT_TRUE(SamePixels(store->GetMask(), block));
}

TEST_F(UndoStore, FrameInformationAndChanges) {
  store->Add(FrameInfo(), MakePicture(W, H, 1), nullptr);
  EXPECT_FALSE(store->HasChange());

  Zentor::Core::Property emptyEffect(IGlimraUndo::TAG_FRAME_INFO);
  emptyEffect.SetChild(IGlimraDrawer::TAG_EFFECT_SETTINGS);
  emptyEffect.SetChildT("marker", 1);
  store->Add(emptyEffect, MakePicture(W, H, 2), nullptr);
  EXPECT_EQ(store->GetSettings(), FrameInfo()) << "an effect without settings keeps the loaded information";
  EXPECT_FALSE(store->HasChange());

  store->Add(EffectInfo("blur"), MakePicture(W, H, 3), nullptr);
  EXPECT_EQ(store->GetSettings(), EffectInfo("blur"));
  EXPECT_TRUE(store->HasChange());
  store->Undo();
  store->AddMask(MakeMask(W, H, {1, 2, 1, 2}));
  EXPECT_TRUE(store->HasChange());
}

TEST_F(UndoStore, SavedStateFollowsTheSavedStep) {
  store->Add(FrameInfo(), MakePicture(W, H, 1), nullptr);
  store->SetSaved(true);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{"A:saved", "B:saved"}));
  store->Add(EffectInfo("blur"), MakePicture(W, H, 2), nullptr);
  EXPECT_FALSE(store->IsSaved());
  store->SetSaved(true);
  TakeLog();
  store->Undo();  // the opened picture differs from what was saved last
  EXPECT_FALSE(store->IsSaved());
  EXPECT_EQ(TakeLog(), Events(true));
  store->Redo();
  EXPECT_EQ(TakeLog(), Events(false));
}

TEST_F(UndoStore, ResetKeepsTheLoadedPictureWithoutMask) {
  const DataVideoPtr loaded = MakePicture(W, H, 1);
  store->Add(FrameInfo(), loaded, MakeMask(W, H, {0, 5, 0, 5}));
  EXPECT_EQ(store->GetMaskPixelCount(), 25u);
  store->Reset();  // nothing dropped: no event, but the mask goes
  EXPECT_TRUE(TakeLog().empty());
  EXPECT_EQ(store->GetMask(), nullptr);

  store->Add(EffectInfo("blur"), MakePicture(W, H, 2), nullptr);
  TakeLog();
  store->Reset();
  EXPECT_EQ(TakeLog(), Events(true));
  EXPECT_FALSE(store->IsUndoEnabled());
  EXPECT_FALSE(store->IsRedoEnabled());
  EXPECT_TRUE(SamePixels(store->GetVideo(), loaded));
}

TEST_F(UndoStore, CachedFrames) {
  store->Add(FrameInfo(), MakePicture(W, H, 1), nullptr);
  const DataVideoPtr green = store->GetVideoColor(0x2EFF12);
  const uint8_t* px = green->GetPicture().data[0] + 3 * green->GetPicture().linesize[0] + 4 * 4;
  EXPECT_EQ(std::vector<uint8_t>(px, px + 4), (std::vector<uint8_t>{0x12, 0xFF, 0x2E, 0x00}));
  EXPECT_EQ(store->GetVideoColor(0x2EFF12), green);
  EXPECT_EQ(CountNonZero(store->GetVideoColor(0)), 0u);

  // A copy cached before an undo never answers for the picture after it.
  store->Add(EffectInfo("blur"), MakePicture(W, H, 2), nullptr);
  EXPECT_TRUE(SamePixels(store->GetVideoCopy(), MakePicture(W, H, 2)));
  store->Undo();
  EXPECT_TRUE(SamePixels(store->GetVideoCopy(), MakePicture(W, H, 1)));

  auto invert = [](uint32_t, uint32_t, int, uint8_t v) -> uint8_t { return static_cast<uint8_t>(255 - v); };
  const DataVideoPtr inverted = store->GetVideoConv(invert);
  EXPECT_EQ(inverted->GetPicture().data[0][5], 255 - MakePicture(W, H, 1)->GetPicture().data[0][5]);
}

TEST_F(UndoStore, PaddedPixelFormats) {
  store->Add(FrameInfo(), MakePicture(W, H, 1, AV_PIX_FMT_BGR0), nullptr);
  const DataVideoPtr green = store->GetVideoColor(0x2EFF12);
  const uint8_t* px = green->GetPicture().data[0] + (W - 1) * 4;
  EXPECT_EQ(std::vector<uint8_t>(px, px + 4), (std::vector<uint8_t>{0x12, 0xFF, 0x2E, 0x00}));

  auto one = [](uint32_t, uint32_t, int, uint8_t) -> uint8_t { return 1; };
  const DataVideoPtr ones = store->GetVideoConv(one);
  const uint8_t* row = ones->GetPicture().data[0] + (H - 1) * ones->GetPicture().linesize[0];
  for (uint32_t x = 0; x < W; ++x) {
    ASSERT_EQ(std::vector<uint8_t>(row + 4 * x, row + 4 * x + 4), (std::vector<uint8_t>{1, 1, 1, 0})) << x;
  }
}

TEST(UndoStoreEmpty, OperationsDoNotFault) {
  TempFolder folder;
  GlimraUndoPtr store = IGlimraUndo::Create(folder.Path(), "s", Counter());
  store->Undo();
  store->Redo();
  store->Reset();
  store->ResetMask();
  store->AddMask(MakeMask(4, 4, {0, 2, 0, 2}));
  store->SetSaved(true);
  EXPECT_EQ(store->GetVideo(), nullptr);
  EXPECT_EQ(store->GetVideoColor(0), nullptr);
  EXPECT_EQ(store->GetVideoCopy(), nullptr);
  EXPECT_FALSE(store->HasChange());
  EXPECT_FALSE(store->IsUndoEnabled());
  EXPECT_EQ(store->GetSettings().Count(), 0u);
}
