#include "UndoTestSupport.h"

#include "GlimraCore/MaskUndo.h"

#include <gtest/gtest.h>

using namespace Zentor::Glimra;
using namespace UndoTest;

namespace {
constexpr uint32_t W = 32;
constexpr uint32_t H = 24;
}  // namespace

TEST(MaskHistory, FirstStrokeUndoAndRedo) {
  MaskUndo history(W, H, nullptr);
  EXPECT_EQ(history.GetInfo(), (CropInfo{W, 0, H, 0}));
  EXPECT_FALSE(history.Push({3, 3, 0, 5}, MakeMask(W, H, {3, 6, 0, 5}))) << "empty rectangle";

  const DataVideoPtr stroke = MakeMask(W, H, {3, 6, 0, 5});
  ASSERT_TRUE(history.Push({3, 6, 0, 5}, stroke));
  EXPECT_EQ(history.GetMask(), stroke) << "the mask is kept, not copied";
  EXPECT_EQ(history.GetPixelCount(), 15u);

  history.UndoImpl();
  EXPECT_EQ(history.GetMask(), nullptr);
  EXPECT_EQ(history.GetPixelCount(), 0u);
  EXPECT_EQ(history.GetInfo(), history.GetEmptyInfo());

  history.RedoImpl();
  EXPECT_TRUE(SamePixels(history.GetMask(), MakeMask(W, H, {3, 6, 0, 5})));
  EXPECT_EQ(history.GetInfo(), (CropInfo{3, 6, 0, 5}));
  EXPECT_EQ(history.GetPixelCount(), 15u);
}

TEST(MaskHistory, ClearEraseAndReset) {
  MaskUndo history(W, H, MakeMask(W, H, {1, 9, 2, 4}));
  EXPECT_EQ(history.GetPixelCount(), 16u);

  ASSERT_TRUE(history.Clear());
  EXPECT_FALSE(history.Clear()) << "nothing left to clear";
  history.UndoImpl();
  EXPECT_TRUE(SamePixels(history.GetMask(), MakeMask(W, H, {1, 9, 2, 4})));
  EXPECT_EQ(history.GetInfo(), (CropInfo{1, 9, 2, 4}));
  EXPECT_EQ(history.GetPixelCount(), 16u);

  // Erasing every selected byte leaves no mask; its undo brings it back.
  ASSERT_TRUE(history.Push({1, 9, 2, 4}, MakeMask(W, H, {0, 0, 0, 0})));
  EXPECT_EQ(history.GetMask(), nullptr);
  history.UndoImpl();
  EXPECT_EQ(history.GetPixelCount(), 16u);

  EXPECT_TRUE(history.ResetImpl());
  EXPECT_FALSE(history.ResetImpl()) << "only step 0 left";
  EXPECT_EQ(history.GetMask(), nullptr);

  MaskUndo zeros(W, H, MakeMask(W, H, {0, 0, 0, 0}));
  EXPECT_EQ(zeros.GetMask(), nullptr);
}
