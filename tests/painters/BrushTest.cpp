#include "PainterTestSupport.h"

#include "GlimraCore/GlimraExceptions.h"

#include <gtest/gtest.h>

using namespace PainterTest;
using Zentor::Glimra::BrushException;
using Zentor::Glimra::GlimraBrush;
using Zentor::Glimra::IGlimraBrush;
using Zentor::Glimra::PainterException;

namespace {

std::vector<int> Row(const DataVideoPtr& stamp, uint32_t y) {
  std::vector<int> row;
  for (uint32_t x = 0; x < stamp->GetWidth(); ++x) row.push_back(At(stamp, x, y));
  return row;
}

}  // namespace

TEST(Brush, SquareStampsAreUniform) {
  const DataVideoPtr square = Square(5)->GetBrush(90);
  ASSERT_EQ(square->GetPixelFormat(), AV_PIX_FMT_GRAY8);
  EXPECT_EQ(square->GetWidth(), 5u);
  EXPECT_EQ(square->GetHeight(), 5u) << "no height: the brush is square";
  for (uint32_t y = 0; y < 5; ++y) EXPECT_EQ(Row(square, y), std::vector<int>(5, 90));

  const DataVideoPtr wide = GlimraBrush::Create(BrushSettings(IGlimraBrush::SQUARE, 5, 3))->GetBrush(255);
  ASSERT_EQ(wide->GetHeight(), 3u);
  for (uint32_t y = 0; y < 3; ++y) EXPECT_EQ(Row(wide, y), std::vector<int>(5, 255));
}

TEST(Brush, CirclesWithoutSmoothing) {
  // 4 x 4: even the corners lie inside (d = 18 <= 20.25).
  const DataVideoPtr four = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 4, 4, 0))->GetBrush(90);
  EXPECT_EQ(CountNonZero(four), 16u);
  // 5 x 5 loses its four corners and nothing else; no fractional values.
  const DataVideoPtr five = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 5))->GetBrush(90);
  EXPECT_EQ(CountNonZero(five), 21u);
  for (auto corner : {std::make_pair(0u, 0u), {4u, 0u}, {0u, 4u}, {4u, 4u}}) {
    EXPECT_EQ(At(five, corner.first, corner.second), 0);
  }
  for (uint32_t y = 0; y < 5; ++y)
    for (uint32_t x = 0; x < 5; ++x) EXPECT_TRUE(At(five, x, y) == 0 || At(five, x, y) == 90);
}

TEST(Brush, SoftEdgesMatchTheFallOff) {
  const DataVideoPtr soft = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 5, 5, 100))->GetBrush(255);
  EXPECT_EQ(Row(soft, 2), (std::vector<int>{71, 173, 255, 173, 71}));
  EXPECT_EQ(Row(soft, 0), (std::vector<int>{0, 47, 71, 47, 0}));
  EXPECT_EQ(Row(soft, 4), Row(soft, 0));

  const DataVideoPtr half = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 7, 7, 50))->GetBrush(90);
  EXPECT_EQ(Row(half, 3), (std::vector<int>{22, 56, 90, 90, 90, 56, 22}));

  // Beyond 100 % the fall-off stays the widest one instead of turning inside out.
  const DataVideoPtr over = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 5, 5, 250))->GetBrush(255);
  EXPECT_EQ(Row(over, 2), Row(soft, 2));
}

TEST(Brush, StampIsCachedPerBrightness) {
  auto brush = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 9, 9, 30));
  EXPECT_EQ(brush->GetBrightness(), -1);
  const DataVideoPtr first = brush->GetBrush(90);
  EXPECT_EQ(brush->GetBrush(90), first);
  EXPECT_EQ(brush->GetBrightness(), 90);
  const DataVideoPtr bright = brush->GetBrush(255);
  EXPECT_NE(bright, first);
  const DataVideoPtr again = brush->GetBrush(90);
  EXPECT_NE(again, first) << "alternating brightnesses rebuild the stamp";
  EXPECT_TRUE(SamePixels(again, first));
  EXPECT_EQ(At(first, 4, 4), 90);
  EXPECT_EQ(At(bright, 4, 4), 255);
  // Half weight at 90 rounds half up: (int)(45.0 + 0.5).
  auto halfBrush = GlimraBrush::Create(BrushSettings(IGlimraBrush::SQUARE, 1));
  EXPECT_EQ(At(halfBrush->GetBrush(45), 0, 0), 45);
}

TEST(Brush, RefusesWrongSettings) {
  Property wrongClass = BrushSettings(IGlimraBrush::SQUARE, 5);
  wrongClass.SetName("$$SOMETHING$$");
  try {
    GlimraBrush::Create(wrongClass);
    FAIL() << "a brush of another class was made";
  } catch (const BrushException& e) {
    ASSERT_NE(boost::get_error_info<Zentor::Glimra::TagClassID>(e), nullptr);
    EXPECT_EQ(*boost::get_error_info<Zentor::Glimra::TagClassID>(e), "$$SOMETHING$$");
    EXPECT_EQ(Zentor::GetDescription(e), "Filter was initialized with incorrect class ($$SOMETHING$$)!");
  }
  try {
    GlimraBrush::Create(BrushSettings("brushStar", 5));
    FAIL() << "a brush of an unknown shape was made";
  } catch (const PainterException& e) {
    ASSERT_NE(boost::get_error_info<Zentor::Glimra::TagTypeID>(e), nullptr);
    EXPECT_EQ(*boost::get_error_info<Zentor::Glimra::TagTypeID>(e), "brushStar");
    EXPECT_EQ(Zentor::GetDescription(e), "Unknown brush type (brushStar)!");
  }
  EXPECT_THROW(GlimraBrush::Create(BrushSettings(IGlimraBrush::SQUARE, -1)), BrushException);
  EXPECT_THROW(GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 5, 16385)), BrushException);
  EXPECT_NO_THROW(GlimraBrush::Create(BrushSettings(IGlimraBrush::SQUARE, 16384, 1)));
}

TEST(Brush, ZeroSizeGivesAnEmptyStamp) {
  for (const std::string& shape : {IGlimraBrush::SQUARE, IGlimraBrush::CIRCLE}) {
    const DataVideoPtr stamp = GlimraBrush::Create(BrushSettings(shape, 0))->GetBrush(90);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->GetWidth(), 0u);
    EXPECT_EQ(stamp->GetHeight(), 0u);
  }
  const DataVideoPtr flat = GlimraBrush::Create(BrushSettings(IGlimraBrush::CIRCLE, 6, 0))->GetBrush(90);
  EXPECT_EQ(flat->GetHeight(), 0u);
}

TEST(Brush, ImageBrushHandsBackItsImage) {
  DataVideoPtr image = MakeMask(3, 2, {0, 3, 0, 2}, 200);
  auto brush = GlimraBrush::Create(image);
  EXPECT_EQ(brush->GetBrightness(), -1);
  EXPECT_EQ(brush->GetBrush(90), image);
  EXPECT_EQ(brush->GetBrush(255), image);
  EXPECT_EQ(At(image, 1, 1), 200);
  EXPECT_THROW(GlimraBrush::Create(DataVideoPtr()), BrushException);
  EXPECT_THROW(GlimraBrush::Create(MakePicture(3, 3)), BrushException);
}
