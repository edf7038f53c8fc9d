#include "PainterTestSupport.h"

#include "GlimraCore/GlimraPainterSelLasso.h"

#include <gtest/gtest.h>

using namespace PainterTest;
using namespace Zentor::Glimra;

namespace {

using Points = std::vector<std::pair<uint32_t, uint32_t>>;

void Lasso(PainterFixture& f, const Points& points, const std::string& type = IGlimraDrawer::SEL_LASSO) {
  auto painter = f.Make(type, nullptr);
  for (const auto& p : points) {
    const PaintPatch patch = painter->Paint(p.first, p.second);
    EXPECT_FALSE(patch.frame);
  }
  EXPECT_FALSE(painter->GetVideo());
  painter->Save();
}

}  // namespace

TEST(Lasso, TriangleSelectsItsInsideAndOutline) {
  PainterFixture f(40, 30);
  Lasso(f, {{10, 5}, {30, 5}, {10, 25}, {10, 5}}, IGlimraDrawer::SEL_POLYGON);
  const DataVideoPtr mask = f.undo->GetMask();
  ASSERT_TRUE(mask);
  // Vertices, edges and inside; the hypotenuse runs from (30, 5) to (10, 25): x + y = 35.
  for (auto p : Points{{10, 5}, {30, 5}, {10, 25}, {20, 5}, {10, 15}, {20, 15}, {12, 7}, {15, 19}}) {
    EXPECT_EQ(At(mask, p.first, p.second), 90) << p.first << "," << p.second;
  }
  for (auto p : Points{{9, 15}, {20, 4}, {25, 15}, {31, 5}, {10, 26}, {0, 0}, {39, 29}}) {
    EXPECT_EQ(At(mask, p.first, p.second), 0) << p.first << "," << p.second;
  }
  for (uint32_t y = 0; y < 30; ++y)
    for (uint32_t x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && y >= 5 && x + y <= 34;
      if (inside) {
        EXPECT_EQ(At(mask, x, y), 90) << x << "," << y;
      } else if (x + y > 36 || x < 10 || y < 5) {
        EXPECT_EQ(At(mask, x, y), 0) << x << "," << y;
      }
    }
  f.undo->Undo();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
}

TEST(Lasso, OpenOrShortOutlinesRecordNothing) {
  PainterFixture f(40, 30);
  Lasso(f, {{10, 5}, {30, 5}, {10, 25}, {11, 5}});  // not closed
  Lasso(f, {{10, 5}, {30, 5}, {10, 5}});             // closed but only three points
  Lasso(f, {});
  Lasso(f, {{100, 100}, {120, 100}, {110, 120}, {100, 100}});  // entirely outside
  EXPECT_FALSE(f.undo->IsUndoEnabled());
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
}

TEST(Lasso, FigureEightSelectsBothLoops) {
  PainterFixture f(40, 40);
  Lasso(f, {{5, 5}, {35, 35}, {35, 5}, {5, 35}, {5, 5}});
  const DataVideoPtr mask = f.undo->GetMask();
  for (auto p : Points{{8, 20}, {12, 20}, {32, 20}, {28, 20}, {20, 20}}) EXPECT_EQ(At(mask, p.first, p.second), 90);
  for (auto p : Points{{20, 8}, {20, 32}, {2, 20}, {38, 20}}) EXPECT_EQ(At(mask, p.first, p.second), 0);
}

TEST(Lasso, NestedLoopsAndTheBorder) {
  PainterFixture f(40, 30);
  // Around the whole picture along its border: everything is selected.
  Lasso(f, {{0, 0}, {39, 0}, {39, 29}, {0, 29}, {0, 0}});
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 40u * 30u);
  f.undo->Undo();
  // Points off the picture are drawn on its edge; the lower chain y = x, then y = 0.75 x + 2.5.
  const uint32_t minus5 = static_cast<uint32_t>(-5);
  Lasso(f, {{minus5, minus5}, {50, minus5}, {50, 40}, {10, 10}, {minus5, minus5}});
  const DataVideoPtr clipped = f.undo->GetMask();
  for (auto p : Points{{20, 5}, {0, 0}, {39, 0}, {39, 29}, {25, 10}}) EXPECT_EQ(At(clipped, p.first, p.second), 90);
  for (auto p : Points{{5, 20}, {0, 29}, {10, 25}}) EXPECT_EQ(At(clipped, p.first, p.second), 0);
  f.undo->Undo();
  // A loop inside a loop: only what is connected to the frame is cleared.
  Lasso(f, {{5, 5}, {35, 5}, {35, 25}, {5, 25}, {5, 5}, {10, 10}, {20, 10}, {20, 20}, {10, 20}, {10, 10}, {5, 5}});
  const DataVideoPtr mask = f.undo->GetMask();
  EXPECT_EQ(At(mask, 15, 15), 90);
  EXPECT_EQ(At(mask, 30, 20), 90);
  EXPECT_EQ(At(mask, 2, 2), 0);
}

TEST(Lasso, AddsToTheSelectionAndUndoesExactly) {
  PainterFixture f(40, 30);
  const DataVideoPtr old = MakeMask(40, 30, {30, 38, 20, 28}, 45);
  f.undo->AddMask(old, {30, 38, 20, 28});
  const DataVideoPtr before = f.undo->GetMask()->CreateCopy();
  Lasso(f, {{2, 2}, {12, 2}, {12, 12}, {2, 12}, {2, 2}});
  const DataVideoPtr after = f.undo->GetMask()->CreateCopy();
  EXPECT_EQ(At(after, 33, 23), 45) << "the old selection stays";
  EXPECT_EQ(At(after, 7, 7), 90);
  EXPECT_EQ(CountNonZero(after), 64u + 121u);
  f.undo->Undo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), before));
  f.undo->Redo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), after));
}

TEST(Lasso, FourIdenticalPointsSelectOnePixel) {
  PainterFixture f(40, 30);
  Lasso(f, {{7, 9}, {7, 9}, {7, 9}, {7, 9}});
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 1u);
  EXPECT_EQ(At(f.undo->GetMask(), 7, 9), 90);
}

