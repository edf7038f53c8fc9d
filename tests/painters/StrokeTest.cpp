#include "PainterTestSupport.h"

#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/GlimraPainterSelBrush.h"

#include <gtest/gtest.h>

using namespace PainterTest;
using namespace Zentor::Glimra;

namespace {

GlimraPainterBrush& AsBrush(const std::unique_ptr<IGlimraPainter>& painter) {
  return dynamic_cast<GlimraPainterBrush&>(*painter);
}

std::vector<std::pair<uint32_t, uint32_t>> SetPixels(const DataVideoPtr& mask) {
  std::vector<std::pair<uint32_t, uint32_t>> pixels;
  for (uint32_t y = 0; y < mask->GetHeight(); ++y)
    for (uint32_t x = 0; x < mask->GetWidth(); ++x)
      if (At(mask, x, y) != 0) pixels.emplace_back(x, y);
  return pixels;
}

void ExpectPatch(const PaintPatch& patch, const CropInfo& rect) {
  EXPECT_EQ((CropInfo{patch.left, patch.right, patch.top, patch.bottom}), rect);
  ASSERT_TRUE(patch.frame);
  EXPECT_EQ(patch.frame->GetWidth(), rect.right - rect.left);
  EXPECT_EQ(patch.frame->GetHeight(), rect.bottom - rect.top);
}

void ExpectEmptyPatch(const PaintPatch& patch) {
  EXPECT_FALSE(patch.frame);
  EXPECT_EQ(patch.left + patch.right + patch.top + patch.bottom, 0u);
}

}  // namespace

TEST(PainterFactory, RefusesWrongSettingsAndMissingParts) {
  PainterFixture f;
  auto brush = Square(5);
  Property wrongClass = PaintSettings(IGlimraDrawer::SEL_BRUSH);
  wrongClass.SetName("$$GLIMRA_BRUSH$$");
  try {
    f.Make(wrongClass, brush);
    FAIL() << "settings of another class made a painter";
  } catch (const PainterException& e) {
    ASSERT_NE(boost::get_error_info<TagClassID>(e), nullptr);
    EXPECT_EQ(*boost::get_error_info<TagClassID>(e), "$$GLIMRA_BRUSH$$");
    EXPECT_EQ(Zentor::GetDescription(e), "Painter was initialized with incorrect class ($$GLIMRA_BRUSH$$)!");
  }
  try {
    f.Make("typePaintSpray", brush);
    FAIL() << "an unknown type made a painter";
  } catch (const PainterException& e) {
    ASSERT_NE(boost::get_error_info<TagTypeID>(e), nullptr);
    EXPECT_EQ(*boost::get_error_info<TagTypeID>(e), "typePaintSpray");
    EXPECT_EQ(Zentor::GetDescription(e), "Unknown painter type (typePaintSpray)!");
  }
  // A painter that needs a brush and has none is refused instead of failing later.
  for (const std::string& type : {IGlimraDrawer::SEL_BRUSH, IGlimraDrawer::SEL_ERASER, IGlimraDrawer::SEL_WAND}) {
    EXPECT_THROW(f.Make(type, nullptr), PainterException) << type;
  }
  EXPECT_THROW(f.Make(CloneSettings(0, 0), nullptr), PainterException);
  EXPECT_THROW(GlimraPainterImpl::Create(PaintSettings(IGlimraDrawer::SEL_BRUSH), brush, f.undo, nullptr,
                                         f.extractor, f.inserter),
               PainterException);
  // A store without a picture.
  auto empty = IGlimraUndo::Create(f.folder_.string() + "/", "", [] { return std::string("x"); });
  EXPECT_THROW(GlimraPainterImpl::Create(PaintSettings(IGlimraDrawer::SEL_BRUSH), brush, empty, f.blend, f.extractor,
                                         f.inserter),
               PainterException);
}

TEST(PainterStatistics, FreshPainterReportsZeros) {
  PainterFixture f;
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(5));
  const Property stats = painter->GetStatistic();
  EXPECT_EQ(stats.GetName(), "GetStatistic");
  EXPECT_EQ(stats["Time"].GetInt64(), 0);
  EXPECT_EQ(stats["Count"].GetInt64(), 0);
  ASSERT_EQ(stats.Count(), 6u);
  EXPECT_EQ(stats[2].GetName(), "Painting time");
  EXPECT_EQ(stats[2].GetDouble(), 0.0);
  EXPECT_EQ(stats[3].GetName(), "Painted count");
  EXPECT_EQ(stats[3].GetInt64(), 0);
  EXPECT_EQ(stats[4].GetName(), "Patching time");
  EXPECT_EQ(stats[5].GetName(), "Patched count");
  EXPECT_EQ(stats[5].GetInt64(), 0);

  painter->Paint(10, 10);  // one stamp, one patch
  painter->Paint(10, 10);  // one stamp, nothing changes
  const Property after = painter->GetStatistic();
  EXPECT_EQ(after["Count"].GetInt64(), 3);
  EXPECT_EQ(after["Painted count"].GetInt64(), 2);
  EXPECT_EQ(after["Patched count"].GetInt64(), 1);
}

TEST(Stroke, PatchesOfA5x5Stamp) {
  PainterFixture f;
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(5));
  ExpectPatch(painter->Paint(10, 10), {8, 13, 8, 13});
  ExpectEmptyPatch(painter->Paint(10, 10));

  // 10 px to the right: the trailing columns at the old point, the profile columns 0 and +1
  // along the walk, the leading half at the new point; only the new columns are patched.
  ExpectPatch(painter->Paint(20, 10), {13, 23, 8, 13});
  const DataVideoPtr alpha = AsBrush(painter).GetAlpha();
  EXPECT_EQ(SetPixels(alpha).size(), 15u * 5u);
  for (uint32_t x = 8; x < 23; ++x)
    for (uint32_t y = 8; y < 13; ++y) EXPECT_EQ(At(alpha, x, y), 90) << x << "," << y;
  EXPECT_EQ(AsBrush(painter).GetStrokeRect(), (CropInfo{8, 23, 8, 13}));
  EXPECT_EQ(AsBrush(painter).GetMaskBounds(), (CropInfo{8, 23, 8, 13}));
}

TEST(Stroke, OnePixelStampMarksTheDiagonal) {
  PainterFixture f;
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(1));
  painter->Paint(5, 5);
  painter->Paint(15, 15);
  std::vector<std::pair<uint32_t, uint32_t>> diagonal;
  for (uint32_t i = 5; i <= 15; ++i) diagonal.emplace_back(i, i);
  EXPECT_EQ(SetPixels(AsBrush(painter).GetAlpha()), diagonal);
  painter->Save();
  EXPECT_EQ(SetPixels(f.undo->GetMask()), diagonal);
}

TEST(Stroke, StaysInsideThePicture) {
  PainterFixture f(40, 30);
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(5));
  ExpectPatch(painter->Paint(0, 0), {0, 3, 0, 3});
  // Along the bottom edge and beyond the right edge, then to a point left of the picture.
  const PaintPatch edge = painter->Paint(45, 29);
  ASSERT_TRUE(edge.frame);
  EXPECT_EQ(edge.right, 40u);
  EXPECT_EQ(edge.bottom, 30u);
  EXPECT_EQ(edge.frame->GetWidth(), edge.right - edge.left);
  painter->Paint(static_cast<uint32_t>(-7), 29);
  const DataVideoPtr alpha = AsBrush(painter).GetAlpha();
  for (uint32_t x = 0; x < 40; ++x) EXPECT_EQ(At(alpha, x, 29), 90) << x;
  const CropInfo stroke = AsBrush(painter).GetStrokeRect();
  EXPECT_LE(stroke.right, 40u);
  EXPECT_LE(stroke.bottom, 30u);
  // Far off the picture nothing is written and nothing is patched.
  auto far = f.Make(IGlimraDrawer::SEL_BRUSH, Square(5));
  ExpectEmptyPatch(far->Paint(1000, 1000));
  ExpectEmptyPatch(far->Paint(3000000000u, 5));
}

TEST(Stroke, EmptyStampPaintsNothing) {
  PainterFixture f;
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(0));
  ExpectEmptyPatch(painter->Paint(10, 10));
  ExpectEmptyPatch(painter->Paint(20, 12));
  painter->Save();
  EXPECT_EQ(CountNonZero(f.undo->GetMask()), 0u);
  EXPECT_FALSE(f.undo->IsUndoEnabled());
}

TEST(Stroke, PatchShowsTheSelectionWithoutTouchingItsSources) {
  PainterFixture f;
  const DataVideoPtr picture = f.undo->GetVideo();
  const DataVideoPtr pictureBefore = picture->CreateCopy();
  auto painter = f.Make(IGlimraDrawer::SEL_BRUSH, Square(3));
  const DataVideoPtr colour = f.undo->GetVideoColor(GlimraPainterSelBrush::SELECTION_COLOR);
  const DataVideoPtr colourBefore = colour->CreateCopy();
  EXPECT_EQ(painter->GetVideo(), picture) << "nothing painted yet: the plain picture";

  const PaintPatch patch = painter->Paint(20, 15);
  ExpectPatch(patch, {19, 22, 14, 17});
  // Colour 0x2EFF12 at alpha 90 over the picture's byte v: (v * 165 + c * 90 + 127) / 255.
  for (int c = 0; c < 3; ++c) {
    const unsigned under = At(picture, 19, 14, c, 3);
    const unsigned over = At(colour, 19, 14, c, 3);
    EXPECT_EQ(At(patch.frame, 0, 0, c, 3), (under * 165 + over * 90 + 127) / 255) << c;
  }
  const DataVideoPtr whole = painter->GetVideo();
  ASSERT_NE(whole, picture);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(At(whole, 21, 16, c, 3), At(patch.frame, 2, 2, c, 3));
  EXPECT_EQ(At(whole, 18, 16, 0, 3), At(picture, 18, 16, 0, 3));
  EXPECT_TRUE(SamePixels(picture, pictureBefore));
  EXPECT_TRUE(SamePixels(colour, colourBefore));
}
