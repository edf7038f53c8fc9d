#include "PainterTestSupport.h"

#include "GlimraCore/GlimraPainterSelBrush.h"

#include <gtest/gtest.h>

using namespace PainterTest;
using namespace Zentor::Glimra;

namespace {

GlimraBrushPtr Soft(long long size) {
  return GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, size, size, 100));
}

}  // namespace

TEST(SelectionBrush, RaisesOnlyAndCommitsOneUndoableStep) {
  PainterFixture f;
  const DataVideoPtr block = MakeMask(40, 30, {10, 20, 10, 20});
  f.undo->AddMask(block->CreateCopy(), {10, 20, 10, 20});
  const DataVideoPtr before = f.undo->GetMask()->CreateCopy();

  // Over the full block nothing changes: empty patches and no commit.
  auto inside = f.Make(IGlimraDrawer::SEL_BRUSH, Soft(5));
  EXPECT_FALSE(inside->Paint(15, 15).frame);
  EXPECT_FALSE(inside->Paint(16, 15).frame);
  inside->Save();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), before));
  f.undo->Undo();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u) << "the no-op stroke left no step of its own";
  f.undo->Redo();

  // A soft stroke across the block's edge: values below 90 never lower the block.
  auto across = f.Make(IGlimraDrawer::SEL_BRUSH, Soft(9));
  across->Paint(18, 15);
  across->Paint(26, 15);
  across->Save();
  const DataVideoPtr after = f.undo->GetMask()->CreateCopy();
  for (uint32_t y = 10; y < 20; ++y)
    for (uint32_t x = 10; x < 20; ++x) ASSERT_EQ(At(after, x, y), 90);
  EXPECT_GT(At(after, 22, 15), 0);
  EXPECT_LE(At(after, 22, 15), 90);
  EXPECT_EQ(At(after, 35, 15), 0);

  f.undo->Undo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), before));
  f.undo->Redo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), after));
}

TEST(SelectionBrush, StartsFromNoMask) {
  PainterFixture f;
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(3));
  auto& brush = dynamic_cast<GlimraPainterBrush&>(*painter);
  EXPECT_TRUE(brush.GetMaskBounds().IsEmpty());
  EXPECT_EQ(CountNonZero(brush.GetAlpha()), 0u);
  painter->Paint(5, 5);
  painter->Save();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 9u);
  // Painting after the commit never alters the step the store holds.
  painter->Paint(25, 25);
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 9u);
  f.undo->Undo();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
}

TEST(SelectionEraser, ClearsWhateverTheStampWeightAndNeverRaises) {
  PainterFixture f;
  DataVideoPtr mask = MakeMask(40, 30, {5, 35, 5, 25});
  for (uint32_t x = 5; x < 35; ++x) Set(mask, x, 15, 30);  // a faint row
  f.undo->AddMask(mask, {5, 35, 5, 25});
  const DataVideoPtr before = f.undo->GetMask()->CreateCopy();

  auto painter = f.Make(IGlimraDrawer::SEL_ERASER, Soft(7));
  const DataVideoPtr stamp = Soft(7)->GetBrush(90);
  const PaintPatch patch = painter->Paint(20, 15);
  ASSERT_TRUE(patch.frame);
  const DataVideoPtr alpha = dynamic_cast<GlimraPainterBrush&>(*painter).GetAlpha();
  for (uint32_t j = 0; j < 7; ++j)
    for (uint32_t i = 0; i < 7; ++i) {
      const uint8_t expected = At(stamp, i, j) ? 0 : At(before, 17 + i, 12 + j);
      EXPECT_EQ(At(alpha, 17 + i, 12 + j), expected) << i << "," << j;
    }
  // The bounds keep covering what was erased.
  EXPECT_EQ(dynamic_cast<GlimraPainterBrush&>(*painter).GetMaskBounds(), f.undo->GetMaskInfo());
  painter->Save();
  const DataVideoPtr erased = f.undo->GetMask()->CreateCopy();
  EXPECT_LT(CountNonZero(erased), CountNonZero(before));
  f.undo->Undo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), before));
  f.undo->Redo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), erased));
}

TEST(SelectionEraser, NothingToEraseCommitsNothing) {
  PainterFixture f;
  auto painter = f.Make(IGlimraDrawer::SEL_ERASER, Square(5));
  EXPECT_FALSE(painter->Paint(10, 10).frame);
  EXPECT_FALSE(painter->Paint(30, 20).frame);
  EXPECT_NO_THROW(painter->Save());
  EXPECT_FALSE(f.undo->IsUndoEnabled());
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
}
