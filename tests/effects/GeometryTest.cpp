#include "EffectsTestSupport.h"

#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"

#include <limits>

using namespace EffectsTest;

namespace {

// RGB24 pixel bytes that name their position.
uint8_t Tag(uint32_t x, uint32_t y, int b) { return static_cast<uint8_t>(x * 16 + y * 4 + b); }

void RotateBy(DataVideoPtr& frame, long long angle) {
  OneInputEffectPtr rotate = MakeOne(IRotate::CLASS_ID);
  Core::Property p = Preset(IRotate::CLASS_ID);
  p.SetChildT(IRotate::ANGLE, angle);
  rotate->SetSettings(p);
  rotate->Process(frame);
}

void FlipBy(DataVideoPtr& frame, bool horizontal, bool vertical) {
  OneInputEffectPtr flip = MakeOne(IFlip::CLASS_ID);
  Core::Property p = Preset(IFlip::CLASS_ID);
  p.SetChildT(IFlip::MODE_HORIZ, horizontal);
  p.SetChildT(IFlip::MODE_VERT, vertical);
  flip->SetSettings(p);
  flip->Process(frame);
}

}  // namespace

TEST(Rotate, QuarterTurnIsClockwise) {
  const uint32_t w = 40, h = 30;
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_RGB24, w, h, 3, Tag);
  DataVideoPtr source = frame;
  RotateBy(frame, 90);
  ASSERT_EQ(frame->GetWidth(), h);
  ASSERT_EQ(frame->GetHeight(), w);
  // Clockwise: the source's left column becomes the top row, read from bottom to top.
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int b = 0; b < 3; ++b) ASSERT_EQ(Pixel(*frame, h - 1 - y, x, 3)[b], Tag(x, y, b)) << x << "," << y;
  EXPECT_EQ(Pixel(*source, 0, 0, 3)[0], Tag(0, 0, 0));  // the input frame is not written
}

TEST(Rotate, AnglesAndFormats) {
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_RGB24, 5, 3, 3, Tag);
  IDataVideo* before = frame.get();
  RotateBy(frame, 0);
  EXPECT_EQ(frame.get(), before);
  RotateBy(frame, -90);  // same as 270
  ASSERT_EQ(frame->GetWidth(), 3u);
  EXPECT_EQ(Pixel(*frame, 0, 0, 3)[0], Tag(4, 0, 0));
  EXPECT_THROW(RotateBy(frame, 45), EffectException);

  // Planar 4:2:0 turns plane by plane.
  DataVideoPtr yuv = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 8, 4);
  Pixel(*yuv, 0, 0, 1, 1)[0] = 200;  // chroma of the top-left 2x2 block
  RotateBy(yuv, 90);
  ASSERT_EQ(yuv->GetWidth(), 4u);
  EXPECT_EQ(Pixel(*yuv, 1, 0, 1, 1)[0], 200);
  // 4:2:2 chroma cannot turn by a quarter.
  DataVideoPtr yuv422 = DataVideoFF::Create(AV_PIX_FMT_YUV422P, 8, 4);
  EXPECT_THROW(RotateBy(yuv422, 90), EffectException);
}

// Each EXIF orientation built from rotate and flip turns the stored 3x2 picture upright.
TEST(Rotate, ExifOrientationsComeOutUpright) {
  const uint32_t W = 3, H = 2;  // the upright picture
  struct Row {
    int orientation;
    long long angle;  // 0: no rotation
    bool horizontal, vertical;
    // Upright pixel shown by stored pixel (x, y).
    std::function<std::pair<uint32_t, uint32_t>(uint32_t, uint32_t)> upright;
    bool swapped;
  };
  const std::vector<Row> rows = {
      {1, 0, false, false, [](uint32_t x, uint32_t y) { return std::make_pair(x, y); }, false},
      {2, 0, true, false, [&](uint32_t x, uint32_t y) { return std::make_pair(W - 1 - x, y); }, false},
      {3, 180, false, false, [&](uint32_t x, uint32_t y) { return std::make_pair(W - 1 - x, H - 1 - y); }, false},
      {4, 0, false, true, [&](uint32_t x, uint32_t y) { return std::make_pair(x, H - 1 - y); }, false},
      {5, 270, false, true, [](uint32_t x, uint32_t y) { return std::make_pair(y, x); }, true},
      {6, 90, false, false, [&](uint32_t x, uint32_t y) { return std::make_pair(W - 1 - y, x); }, true},
      {7, 90, false, true, [&](uint32_t x, uint32_t y) { return std::make_pair(W - 1 - y, H - 1 - x); }, true},
      {8, 270, false, false, [&](uint32_t x, uint32_t y) { return std::make_pair(y, H - 1 - x); }, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("orientation " + std::to_string(row.orientation));
    const uint32_t sw = row.swapped ? H : W, sh = row.swapped ? W : H;
    DataVideoPtr frame = MakeFrame(AV_PIX_FMT_RGB24, sw, sh, 3, [&](uint32_t x, uint32_t y, int b) {
      const auto u = row.upright(x, y);
      return Tag(u.first, u.second, b);
    });
    if (row.angle) RotateBy(frame, row.angle);
    if (row.horizontal || row.vertical) FlipBy(frame, row.horizontal, row.vertical);
    ASSERT_EQ(frame->GetWidth(), W);
    ASSERT_EQ(frame->GetHeight(), H);
    for (uint32_t y = 0; y < H; ++y)
      for (uint32_t x = 0; x < W; ++x) EXPECT_EQ(Pixel(*frame, x, y, 3)[0], Tag(x, y, 0)) << x << "," << y;
  }
}

TEST(Crop, CutsTheRectangleAndRefusesOutside) {
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_BGRA, 10, 8, 4, Tag);
  OneInputEffectPtr crop = MakeOne(IEffectCrop::CLASS_ID);
  DataVideoPtr none = frame;
  EXPECT_THROW(crop->Process(none), EffectException);  // no rectangle yet
  Core::Property p = Preset(IEffectCrop::CLASS_ID);
  p.SetChildT(IEffectCrop::OFFSET_X, 3LL);
  p.SetChildT(IEffectCrop::OFFSET_Y, 2LL);
  p.SetChildT(IEffectCrop::WIDTH, 4LL);
  p.SetChildT(IEffectCrop::HEIGHT, 5LL);
  crop->SetSettings(p);
  DataVideoPtr out = frame;
  crop->Process(out);
  ASSERT_EQ(out->GetWidth(), 4u);
  ASSERT_EQ(out->GetHeight(), 5u);
  EXPECT_EQ(Pixel(*out, 0, 0, 4)[1], Tag(3, 2, 1));
  EXPECT_EQ(Pixel(*out, 3, 4, 4)[2], Tag(6, 6, 2));
  p.SetChildT(IEffectCrop::WIDTH, 8LL);
  crop->SetSettings(p);
  out = frame;
  EXPECT_THROW(crop->Process(out), EffectException);
  // Offsets whose sum with the size would overflow are refused, not wrapped round.
  p.SetChildT(IEffectCrop::OFFSET_X, std::numeric_limits<long long>::max());
  p.SetChildT(IEffectCrop::WIDTH, 4LL);
  crop->SetSettings(p);
  out = frame;
  EXPECT_THROW(crop->Process(out), EffectException);
  p.SetChildT(IEffectCrop::OFFSET_X, 3LL);
  p.SetChildT(IEffectCrop::HEIGHT, std::numeric_limits<long long>::max());
  crop->SetSettings(p);
  out = frame;
  EXPECT_THROW(crop->Process(out), EffectException);
}

TEST(Resize, SizesMethodsAndSettingsRecord) {
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_BGR0, 100, 3, 4, Tag);
  OneInputEffectPtr resize = MakeOne(IResize::CLASS_ID);
  // A thumbnail of a 1000 x 3 picture asks for 160 x 0: the 0 side becomes 1.
  SettingsResizer record;
  record.width = 160;
  record.height = 0;
  record.aspectX = 1;
  record.aspectY = 1;
  resize->SetSettings(IResize::Settings2Property(record));
  DataVideoPtr out = frame;
  resize->Process(out);
  EXPECT_EQ(out->GetWidth(), 160u);
  EXPECT_EQ(out->GetHeight(), 1u);
  record.width = 0;
  resize->SetSettings(IResize::Settings2Property(record));
  out = frame;
  resize->Process(out);
  EXPECT_EQ(out->GetWidth(), 1u);
  EXPECT_EQ(out->GetHeight(), 1u);

  // Point sampling keeps a mask's values.
  DataVideoPtr mask = MakeFrame(AV_PIX_FMT_GRAY8, 9, 7, 1, [](uint32_t x, uint32_t, int) { return x % 3 ? 90 : 0; });
  Core::Property p = Preset(IResize::CLASS_ID);
  p.SetChildT(IResize::WIDTH, 23LL);
  p.SetChildT(IResize::HEIGHT, 5LL);
  p.SetChildT(IResize::METHOD, IResize::METHOD_POINT);
  resize->SetSettings(p);
  resize->Process(mask);
  ASSERT_EQ(mask->GetWidth(), 23u);
  for (uint8_t v : Bytes(*mask, 1)) EXPECT_TRUE(v == 0 || v == 90) << int(v);

  // Fit keeps the proportions inside the target; unknown methods are refused.
  p = Preset(IResize::CLASS_ID);
  p.SetChildT(IResize::MODE, IResize::MODE_FIT);
  p.SetChildT(IResize::WIDTH, 50LL);
  p.SetChildT(IResize::HEIGHT, 50LL);
  p.SetChildT(IResize::METHOD, IResize::METHOD_AUTO);
  resize->SetSettings(p);
  out = MakeFrame(AV_PIX_FMT_RGB24, 200, 100, 3, Tag);
  resize->Process(out);
  EXPECT_EQ(out->GetWidth(), 50u);
  EXPECT_EQ(out->GetHeight(), 25u);
  p.SetChildT(IResize::METHOD, "sinc");
  EXPECT_THROW(resize->SetSettings(p), EffectException);

  // A scale factor asking for more memory than a frame may hold.
  p = Preset(IResize::CLASS_ID);
  p.SetChildT(IResize::FRAME_SIZE_MODE, IResize::FRAME_SIZE_SCALE);
  p.SetChildT(IResize::SCALE_FACTOR, 1e9);
  resize->SetSettings(p);
  out = MakeFrame(AV_PIX_FMT_RGB24, 200, 100, 3, Tag);
  EXPECT_THROW(resize->Process(out), EffectException);
}
