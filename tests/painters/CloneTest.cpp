#include "PainterTestSupport.h"

#include "GlimraCore/GlimraPainterClone.h"

#include <gtest/gtest.h>

using namespace PainterTest;
using namespace Zentor::Glimra;

namespace {

constexpr uint32_t W = 40;
constexpr uint32_t H = 30;

// A stamp large enough to cover the whole picture from its centre.
GlimraBrushPtr Cover() { return Square(200); }

bool SamePixel(const DataVideoPtr& a, uint32_t ax, uint32_t ay, const DataVideoPtr& b, uint32_t bx, uint32_t by) {
  for (int c = 0; c < 3; ++c)
    if (At(a, ax, ay, c, 3) != At(b, bx, by, c, 3)) return false;
  return true;
}

void CloneAll(PainterFixture& f, long long dx, long long dy) {
  auto painter = f.Make(CloneSettings(dx, dy), Cover());
  painter->Paint(W / 2, H / 2);
  painter->Save();
}

}  // namespace

TEST(Clone, OffsetRightCopiesAndClips) {
  PainterFixture f(W, H);
  CloneAll(f, 10, 0);
  const DataVideoPtr result = f.undo->GetVideo();
  ASSERT_TRUE(f.undo->IsUndoEnabled());
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < W; ++x) {
      if (x < 10) {
        ASSERT_TRUE(SamePixel(result, x, y, f.original, x, y)) << x << "," << y;
      } else {
        ASSERT_TRUE(SamePixel(result, x, y, f.original, x - 10, y)) << x << "," << y;
      }
    }
  f.undo->Undo();
  EXPECT_TRUE(SamePixels(f.undo->GetVideo(), f.original));
}

TEST(Clone, OffsetUpLeftCopiesAndClips) {
  PainterFixture f(W, H);
  CloneAll(f, -5, -5);
  const DataVideoPtr result = f.undo->GetVideo();
  for (uint32_t y = 0; y < H; ++y)
    for (uint32_t x = 0; x < W; ++x) {
      if (x >= W - 5 || y >= H - 5) {
        ASSERT_TRUE(SamePixel(result, x, y, f.original, x, y)) << x << "," << y;
      } else {
        ASSERT_TRUE(SamePixel(result, x, y, f.original, x + 5, y + 5)) << x << "," << y;
      }
    }
}

TEST(Clone, OffsetBeyondThePictureWritesNothing) {
  for (auto offset : std::vector<std::pair<long long, long long>>{
           {40, 0}, {500, 3}, {-40, 0}, {0, -30}, {-5000000000LL, 0}, {0, 5000000000LL}}) {
    PainterFixture f(W, H);
    auto painter = f.Make(CloneSettings(offset.first, offset.second), Cover());
    EXPECT_FALSE(painter->Paint(W / 2, H / 2).frame);
    EXPECT_FALSE(painter->Paint(0, 0).frame);
    painter->Save();
    EXPECT_FALSE(f.undo->IsUndoEnabled()) << offset.first << "," << offset.second;
    EXPECT_TRUE(SamePixels(f.undo->GetVideo(), f.original));
  }
}

TEST(Clone, OpacityPercentages) {
  PainterFixture f(W, H);
  auto opacity = [&f](const Property& settings) {
    auto painter = f.Make(settings, Square(3));
    return int(dynamic_cast<GlimraPainterClone&>(*painter).GetOpacity());
  };
  Property settings = CloneSettings(1, 1);
  EXPECT_EQ(opacity(settings), 255);
  for (auto c : std::vector<std::pair<long long, int>>{{100, 255}, {50, 128}, {0, 0}, {150, 255}, {-20, 0}}) {
    settings.SetChildT(IGlimraDrawer::OPACITY, c.first);
    EXPECT_EQ(opacity(settings), c.second) << c.first;
  }
  // At 0 % no pixel changes and nothing is committed.
  settings.SetChildT(IGlimraDrawer::OPACITY, 0LL);
  auto painter = f.Make(settings, Cover());
  EXPECT_FALSE(painter->Paint(20, 15).frame);
  painter->Save();
  EXPECT_FALSE(f.undo->IsUndoEnabled());
}

TEST(Clone, StrokeReadsTheSnapshotNotEarlierClones) {
  PainterFixture f(W, H);
  const DataVideoPtr snapshotBefore = f.undo->GetVideoCopy()->CreateCopy();
  auto painter = f.Make(CloneSettings(5, 0), Square(5));
  const PaintPatch first = painter->Paint(8, 10);
  ASSERT_TRUE(first.frame);
  EXPECT_TRUE(SamePixel(first.frame, 0, 0, f.original, first.left - 5, first.top));
  painter->Paint(30, 10);
  const DataVideoPtr shown = painter->GetVideo();
  for (uint32_t x = 6; x <= 32; ++x) EXPECT_TRUE(SamePixel(shown, x, 10, f.original, x - 5, 10)) << x;
  EXPECT_TRUE(SamePixels(f.undo->GetVideoCopy(), snapshotBefore)) << "the snapshot is never written";
  painter->Save();
  EXPECT_TRUE(SamePixels(f.undo->GetVideo(), shown));
}

TEST(Clone, CommitIsAnImageStepWithoutSelection) {
  PainterFixture f(W, H);
  DrawerCounter counter;
  f.undo->RegisterEventHandler(&counter);
  f.undo->AddMask(MakeMask(W, H, {2, 6, 2, 6}), {2, 6, 2, 6});
  const DataVideoPtr mask = f.undo->GetMask()->CreateCopy();
  const int eventsBefore = counter.events;
  auto painter = f.Make(CloneSettings(0, 0), Square(3));
  EXPECT_EQ(counter.events, eventsBefore + 1) << "starting a clone stroke redraws";
  painter->Paint(10, 10);
  painter->Save();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
  EXPECT_TRUE(SamePixels(f.undo->GetVideo(), f.original)) << "offset 0 looks unchanged";
  const Property& info = f.undo->GetSettings();
  ASSERT_TRUE(info.ChildExists(IGlimraDrawer::TAG_EFFECT_SETTINGS));
  const Property& effect = info[IGlimraDrawer::TAG_EFFECT_SETTINGS];
  EXPECT_EQ(effect[IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE][0], CloneSettings(0, 0));
  EXPECT_TRUE(effect.ChildExists(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER));
  f.undo->Undo();
  EXPECT_TRUE(SameMask(f.undo->GetMask(), mask));
  EXPECT_TRUE(SamePixels(f.undo->GetVideo(), f.original));
  f.undo->UnregisterEventHandler(&counter);
}

