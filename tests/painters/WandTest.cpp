#include "PainterTestSupport.h"

#include "GlimraCore/GlimraPainterSelWand.h"

#include <gtest/gtest.h>

using namespace PainterTest;
using namespace Zentor::Glimra;

namespace {

// Background of one grey, with a 20 x 20 square of another from (20, 20).
DataVideoPtr SquarePicture(uint8_t background, uint8_t square) {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, 64, 64);
  auto& p = frame->GetPicture();
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 64; ++x) {
      const bool in = x >= 20 && x < 40 && y >= 20 && y < 40;
      std::memset(p.data[0] + size_t(y) * p.linesize[0] + x * 3, in ? square : background, 3);
    }
  return frame;
}

}  // namespace

TEST(Wand, PercentConversion) {
  const std::vector<std::pair<int, int>> cases{{0, 0}, {35, 35}, {50, 50}, {51, 54}, {75, 152}, {100, 255}};
  for (const auto& c : cases) EXPECT_EQ(GlimraPainterSelWand::ConvertFromPct(c.first), c.second) << c.first;
  EXPECT_EQ(GlimraPainterSelWand::ConvertFromPct(250), 255);
  EXPECT_EQ(GlimraPainterSelWand::ConvertFromPct(-3), 0);
}

TEST(Wand, UniformAreaIsGrownByDilateAndClose) {
  PainterFixture f(0, 0, SquarePicture(200, 40));
  auto painter = f.Make(IGlimraDrawer::SEL_WAND, Square(10));
  EXPECT_FALSE(painter->Paint(2, 2).frame);
  painter->Paint(30, 31);  // the last position is the seed
  EXPECT_FALSE(painter->GetVideo());
  painter->Save();
  const DataVideoPtr mask = f.undo->GetMask();
  ASSERT_TRUE(mask);
  // The square, grown by two pixels on every side.
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 64; ++x) {
      const bool in = x >= 18 && x < 42 && y >= 18 && y < 42;
      ASSERT_EQ(At(mask, x, y), in ? 90 : 0) << x << "," << y;
    }
  EXPECT_EQ(f.undo->GetMaskInfo(), (CropInfo{18, 42, 18, 42}));
  f.undo->Undo();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
}

TEST(Wand, ToleranceComesFromTheBrushSize) {
  // Square 40 against background 80: a difference of 40 is inside 50 % but not 35 %.
  PainterFixture narrow(0, 0, SquarePicture(80, 40));
  narrow.Stroke(IGlimraDrawer::SEL_WAND, Square(35), {{30, 30}});
  EXPECT_EQ(CountNonZero(narrow.undo->GetMask()), 24u * 24u);
  PainterFixture wide(0, 0, SquarePicture(80, 40));
  wide.Stroke(IGlimraDrawer::SEL_WAND, Square(50), {{30, 30}});
  EXPECT_EQ(CountNonZero(wide.undo->GetMask()), 64u * 64u);
}

TEST(Wand, AddsToTheSelectionAndIgnoresClicksOutside) {
  PainterFixture f(0, 0, SquarePicture(200, 40));
  const DataVideoPtr old = MakeMask(64, 64, {0, 4, 0, 4}, 30);
  f.undo->AddMask(old, {0, 4, 0, 4});
  const DataVideoPtr before = f.undo->GetMask()->CreateCopy();
  f.Stroke(IGlimraDrawer::SEL_WAND, Square(5), {{64, 10}});
  f.Stroke(IGlimraDrawer::SEL_WAND, Square(5), {{uint32_t(-1), 10}});
  EXPECT_TRUE(SameMask(f.undo->GetMask(), before)) << "clicks off the picture commit nothing";
  f.Stroke(IGlimraDrawer::SEL_WAND, Square(5), {{25, 25}});
  const DataVideoPtr after = f.undo->GetMask()->CreateCopy();
  EXPECT_EQ(At(after, 1, 1), 30);
  EXPECT_EQ(At(after, 25, 25), 90);
  f.undo->Undo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), before));
  f.undo->Redo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), after));
}
