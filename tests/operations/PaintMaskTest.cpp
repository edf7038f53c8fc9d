#include "OperationsSupport.h"

#include "GlimraCore/GlimraExceptions.h"

using namespace OperationsTest;
namespace G = Zentor::Glimra;

namespace {

void Stroke(G::IGlimraCore& engine, uint32_t x0, uint32_t y, uint32_t x1) {
  engine.PaintStart(x0, y);
  for (uint32_t x = x0 + 5; x < x1; x += 5) engine.Paint(x, y);
  engine.PaintStop(x1, y);
}

}  // namespace

TEST(EnginePaint, StrokesNeedSettingsAndBrush) {
  Fixture f;
  std::string text;
  try {
    f.engine->PaintStart(10, 10);
    FAIL() << "painted without settings";
  } catch (const G::PainterException& e) {
    EXPECT_EQ("Painter was not initialized yet", *boost::get_error_info<Zentor::TagDescription>(e));
  }
  f.engine->PaintInit(PaintSettings(G::IGlimraDrawer::SEL_BRUSH));
  try {
    f.engine->PaintStart(10, 10);
    FAIL() << "painted without a brush";
  } catch (const G::PainterException& e) {
    EXPECT_EQ("Brush was not initialized yet", *boost::get_error_info<Zentor::TagDescription>(e));
  }
  // Without a stroke, Paint and PaintStop do nothing and report nothing.
  const G::PaintPatch none = f.engine->Paint(5, 5);
  EXPECT_FALSE(none.frame);
  EXPECT_EQ(0u, none.left + none.right + none.top + none.bottom);
  f.engine->PaintStop(5, 5);
  EXPECT_TRUE(f.errors.Get().empty());
  EXPECT_TRUE(f.statistics.Events().empty());
  EXPECT_FALSE(f.engine->HasPaintedArea());
}

TEST(EnginePaint, SelectionStrokesReportEachToolOnce) {
  Fixture f;
  f.engine->SetBrush(BrushSettings(9));
  f.engine->PaintInit(PaintSettings(G::IGlimraDrawer::SEL_BRUSH));
  const G::PaintPatch patch = f.engine->PaintStart(20, 20);
  ASSERT_TRUE(patch.frame);
  EXPECT_EQ(AV_PIX_FMT_ARGB, patch.frame->GetPixelFormat());
  f.engine->PaintStop(30, 20);
  EXPECT_TRUE(f.engine->HasPaintedArea());
  Stroke(*f.engine, 20, 60, 50);

  // A lasso around a square.
  f.engine->PaintInit(PaintSettings(G::IGlimraDrawer::SEL_LASSO));
  f.engine->PaintStart(70, 70);
  f.engine->Paint(90, 70);
  f.engine->Paint(90, 90);
  f.engine->PaintStop(70, 90);

  const auto events = f.statistics.Events();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ("TOOL_SELECT", events[0].first);
  EXPECT_EQ((Params{{"TOOL_TYPE", "typePaintSelBrush"}}), events[0].second);
  EXPECT_EQ((Params{{"TOOL_TYPE", "typePaintSelLasso"}}), events[1].second);
  EXPECT_TRUE(f.errors.Get().empty());

  f.engine->PaintReset();
  EXPECT_FALSE(f.engine->HasPaintedArea());
  f.engine->Undo();
  EXPECT_TRUE(f.engine->HasPaintedArea());
}

TEST(EnginePaint, RefusedBrushKeepsThePreviousOne) {
  Fixture f;
  f.engine->SetBrush(BrushSettings(5));
  const G::GlimraBrushPtr before = f.engine->GetBrush();
  Property wrong("SomethingElse");
  EXPECT_THROW(f.engine->SetBrush(wrong), G::BrushException);
  EXPECT_EQ(wrong, f.engine->GetBrushSettings());
  EXPECT_EQ(before, f.engine->GetBrush());
}

TEST(EngineVideo, SelectionOverlayStaysInsideTheMaskRectangle) {
  Fixture f;
  const DataVideoPtr plain = f.engine->GetVideo();
  ASSERT_TRUE(plain);
  DataVideoPtr mask = MaskFrame(100, 100, 30, 40, 20, 10);
  f.engine->SetMask(mask);
  ASSERT_TRUE(f.errors.Get().empty());
  const DataVideoPtr shown = f.engine->GetVideo();
  ASSERT_TRUE(shown);
  ASSERT_EQ(AV_PIX_FMT_ARGB, shown->GetPixelFormat());
  int changedInside = 0;
  for (uint32_t y = 0; y < 100; ++y) {
    for (uint32_t x = 0; x < 100; ++x) {
      const bool inside = x >= 30 && x < 50 && y >= 40 && y < 50;
      bool same = true;
      for (int c = 0; c < 4; ++c) same = same && Byte(*plain, x, y, c) == Byte(*shown, x, y, c);
      if (!inside) {
        ASSERT_TRUE(same) << x << "," << y;
      } else {
        changedInside += !same;
      }
    }
  }
  EXPECT_EQ(200, changedInside);
}

// The scene shows the parts laid together: they must show what GetVideo shows.
TEST(EngineVideo, PartsAreThePictureAndTheSelectionOfItsBounds) {
  Fixture f;
  const DataVideoPtr plain = f.engine->GetVideo();
  ASSERT_TRUE(plain);
  G::IGlimraDrawer::VideoParts parts = f.engine->GetVideoParts();
  ASSERT_TRUE(parts.picture);
  EXPECT_TRUE(SamePixels(*plain, *parts.picture));
  EXPECT_FALSE(parts.selection.frame);

  DataVideoPtr mask = MaskFrame(100, 100, 30, 40, 20, 10);
  f.engine->SetMask(mask);
  const DataVideoPtr shown = f.engine->GetVideo();
  parts = f.engine->GetVideoParts();
  ASSERT_TRUE(f.errors.Get().empty());
  ASSERT_TRUE(parts.picture);
  EXPECT_TRUE(SamePixels(*plain, *parts.picture));
  const G::PaintPatch& selection = parts.selection;
  ASSERT_TRUE(selection.frame);
  EXPECT_EQ(shown->GetPixelFormat(), selection.frame->GetPixelFormat());
  EXPECT_EQ((std::vector<uint32_t>{30, 50, 40, 50}),
            (std::vector<uint32_t>{selection.left, selection.right, selection.top, selection.bottom}));
  ASSERT_EQ(20u, selection.frame->GetWidth());
  ASSERT_EQ(10u, selection.frame->GetHeight());
  for (uint32_t y = 0; y < 10; ++y) {
    for (uint32_t x = 0; x < 20; ++x) {
      for (int c = 0; c < 4; ++c) ASSERT_EQ(Byte(*shown, x + 30, y + 40, c), Byte(*selection.frame, x, y, c));
    }
  }
}

TEST(EngineVideo, CountsEveryCallAlsoFailingOnes) {
  Fixture f;
  const auto count = [&f] {
    const Property statistics = f.engine->GetStatistic();
    return Zentor::Core::GetValue<long long>(statistics["GetStatistic"]["Count"]);
  };
  f.engine->GetVideo();
  EXPECT_EQ(1, count());
  // A converter that accepts no format fails every conversion.
  f.engine->SetOutputColorSpace(Zentor::Proc::IColorSpaceConverter::MakeSettings({}));
  EXPECT_FALSE(f.engine->GetVideo());
  EXPECT_EQ(2, count());
  EXPECT_EQ(1u, f.errors.Get().size());
}

TEST(EngineMask, SetMaskChecksSizeAndKeepsACopy) {
  Fixture f;
  DataVideoPtr narrow = MaskFrame(99, 100, 0, 0, 10, 10);
  f.engine->SetMask(narrow);
  ASSERT_EQ(1u, f.errors.Get().size());
  EXPECT_TRUE(IsA<G::IncorrectSizeSelectionException>(f.errors.Get()[0]));
  EXPECT_FALSE(f.engine->HasPaintedArea());

  // A single byte gives its own rectangle; the caller's frame stays the caller's.
  DataVideoPtr dot = MaskFrame(100, 100, 7, 9, 1, 1, 255);
  f.engine->SetMask(dot);
  EXPECT_EQ(1u, f.errors.Get().size());
  const Zentor::Proc::CropInfo rect = f.Store().GetMaskInfo();
  EXPECT_EQ(7u, rect.left);
  EXPECT_EQ(8u, rect.right);
  EXPECT_EQ(9u, rect.top);
  EXPECT_EQ(10u, rect.bottom);
  EXPECT_EQ(1u, f.Store().GetMaskPixelCount());
  dot->GetPicture().data[0][0] = 90;
  EXPECT_EQ(0, Byte(*f.Store().GetMask(), 0, 0));

  // A mask in another format is converted to grey in the caller's handle; an empty one clears.
  DataVideoPtr colour = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_BGRA, 100, 100);
  for (uint32_t y = 0; y < 100; ++y) std::memset(colour->GetPicture().data[0] + y * colour->GetPicture().linesize[0], 0, 400);
  f.engine->SetMask(colour);
  EXPECT_EQ(AV_PIX_FMT_GRAY8, colour->GetPixelFormat());
  EXPECT_FALSE(f.engine->HasPaintedArea());
}

TEST(EngineMask, UndoOfSetMaskBringsBackTheReplacedSelection) {
  Fixture f;
  DataVideoPtr first = MaskFrame(100, 100, 10, 10, 5, 5);
  f.engine->SetMask(first);
  const DataVideoPtr before = f.Store().GetMask()->CreateCopy();
  // A new mask elsewhere replaces the selection; undo must restore the old one outside its bounds.
  DataVideoPtr second = MaskFrame(100, 100, 60, 60, 4, 4);
  f.engine->SetMask(second);
  EXPECT_EQ(16u, f.Store().GetMaskPixelCount());
  f.engine->Undo();
  ASSERT_TRUE(f.Store().GetMask());
  EXPECT_EQ(25u, f.Store().GetMaskPixelCount());
  EXPECT_TRUE(SamePixels(*before, *f.Store().GetMask()));
  f.engine->Redo();
  EXPECT_EQ(16u, f.Store().GetMaskPixelCount());
  EXPECT_EQ(60u, f.Store().GetMaskInfo().left);
  EXPECT_TRUE(f.errors.Get().empty());
}

TEST(EngineMask, ResizePaintedAreaGrowsShrinksAndUndoes) {
  Fixture f;
  f.engine->ResizePaintedArea(1);
  ASSERT_EQ(1u, f.errors.Get().size());
  EXPECT_TRUE(IsA<G::TooSmallSelectionException>(f.errors.Get()[0]));

  DataVideoPtr block = MaskFrame(100, 100, 50, 50, 3, 3);
  f.engine->SetMask(block);
  const DataVideoPtr original = f.Store().GetMask()->CreateCopy();
  f.engine->ResizePaintedArea(5);
  EXPECT_EQ(25u, f.Store().GetMaskPixelCount());
  const Zentor::Proc::CropInfo grown = f.Store().GetMaskInfo();
  EXPECT_EQ(49u, grown.left);
  EXPECT_EQ(54u, grown.right);
  f.engine->Undo();
  ASSERT_TRUE(f.Store().GetMask());
  EXPECT_TRUE(SamePixels(*original, *f.Store().GetMask()));
  f.engine->Redo();
  EXPECT_EQ(25u, f.Store().GetMaskPixelCount());
  f.engine->Undo();

  f.engine->ResizePaintedArea(0);
  EXPECT_EQ(1u, f.Store().GetMaskPixelCount());
  f.engine->ResizePaintedArea(-3);
  EXPECT_FALSE(f.engine->HasPaintedArea());
  f.engine->Undo();
  EXPECT_EQ(1u, f.Store().GetMaskPixelCount());
  f.engine->Undo();
  ASSERT_TRUE(f.Store().GetMask());
  EXPECT_TRUE(SamePixels(*original, *f.Store().GetMask()));
  EXPECT_EQ(1u, f.errors.Get().size());
}
