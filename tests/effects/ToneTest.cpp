#include "EffectsTestSupport.h"

#include "Proc/Interfaces/IEffectGrayscale.h"
#include "Proc/Interfaces/IEffectMagicEnhance.h"

using namespace EffectsTest;

TEST(Grayscale, KeepsTheFormatAndAlpha) {
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_BGRA, 6, 4, 4, [](uint32_t x, uint32_t y, int b) {
    return static_cast<uint8_t>(b == 3 ? 17 * x : (x * 40 + y * 20 + b * 60) % 256);
  });
  OneInputEffectPtr grey = MakeOne(IEffectGrayscale::CLASS_ID);
  DataVideoPtr out = frame;
  grey->Process(out);
  ASSERT_EQ(out->GetPixelFormat(), AV_PIX_FMT_BGRA);
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 6; ++x) {
      const uint8_t* p = Pixel(*out, x, y, 4);
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      EXPECT_EQ(p[3], 17 * x);
    }
  // Planar YUV stays planar YUV.
  DataVideoPtr yuv = DataVideoFF::Create(AV_PIX_FMT_YUV420P, 4, 4);
  grey->Process(yuv);
  EXPECT_EQ(yuv->GetPixelFormat(), AV_PIX_FMT_YUV420P);
}

TEST(MagicEnhance, StretchesDullPicturesAndBalancesACast) {
  // A dull, blue-tinted gradient with a varying alpha.
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_BGRA, 64, 48, 4, [](uint32_t x, uint32_t y, int b) {
    const int base = 90 + int(x + y) / 2;  // 90 .. 145
    return static_cast<uint8_t>(b == 3 ? (x * 4) % 256 : b == 0 ? base + 30 : b == 1 ? base : base - 10);
  });
  OneInputEffectPtr enhance = MakeOne(IEffectMagicEnhance::CLASS_ID);
  Core::Property p = Preset(IEffectMagicEnhance::CLASS_ID);
  p.SetChildT(IEffectMagicEnhance::AUTO_CONTRAST, true);
  p.SetChildT(IEffectMagicEnhance::AUTO_SATURATION, true);
  p.SetChildT(IEffectMagicEnhance::AUTO_WHITE_BALANCE, true);
  p.SetChildT(IEffectMagicEnhance::AUTO_WHITE_STRENGTH, 100LL);
  enhance->SetSettings(p);
  DataVideoPtr out = frame;
  enhance->Process(out);
  ASSERT_EQ(out->GetPixelFormat(), AV_PIX_FMT_BGRA);
  int low = 255, high = 0;
  double blue = 0, red = 0, blueBefore = 0, redBefore = 0;
  for (uint32_t y = 0; y < 48; ++y)
    for (uint32_t x = 0; x < 64; ++x) {
      const uint8_t* o = Pixel(*out, x, y, 4);
      const uint8_t* i = Pixel(*frame, x, y, 4);
      EXPECT_EQ(o[3], i[3]);
      low = std::min<int>(low, o[1]);
      high = std::max<int>(high, o[1]);
      blue += o[0];
      red += o[2];
      blueBefore += i[0];
      redBefore += i[2];
    }
  EXPECT_GT(high - low, 100);  // the 55-level range was stretched
  EXPECT_LT(std::abs(blue - red), std::abs(blueBefore - redBefore) / 4);

  // With every switch off the frame is left alone.
  OneInputEffectPtr idle = MakeOne(IEffectMagicEnhance::CLASS_ID);
  out = frame;
  idle->Process(out);
  EXPECT_EQ(out.get(), frame.get());
}
