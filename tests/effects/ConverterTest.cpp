#include "EffectsTestSupport.h"

#include "Platform/Effects/ColorSpaceConverter.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"

using namespace EffectsTest;
using Zentor::Proc::Effects::ChooseTargetFormat;

namespace {

DataVideoPtr Convert(DataVideoPtr frame, const std::vector<int>& formats, bool hazAlpha) {
  OneInputEffectPtr converter = MakeOne(IColorSpaceConverter::CLASS_ID);
  Core::Property settings = IColorSpaceConverter::MakeSettings(formats);
  if (hazAlpha) settings.SetChildT(IColorSpaceConverter::HAZ_ALPHA, true);
  converter->SetSettings(settings);
  converter->Process(frame);
  return frame;
}

const std::vector<AVPixelFormat> WORKING = {AV_PIX_FMT_RGB24, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0};

}  // namespace

TEST(ColorSpaceConverter, ChoosesByTheListAndAlpha) {
  // Listed formats are kept.
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_BGR0, WORKING, true), AV_PIX_FMT_BGR0);
  // Alpha goes to the first listed format with alpha only when HAZ_ALPHA is set.
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_RGBA, WORKING, true), AV_PIX_FMT_BGRA);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_YA8, WORKING, true), AV_PIX_FMT_BGRA);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_RGBA, WORKING, false), AV_PIX_FMT_RGB24);
  // Without alpha: the first listed format without alpha.
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_YUVJ420P, WORKING, true), AV_PIX_FMT_RGB24);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_GRAY16LE, WORKING, true), AV_PIX_FMT_RGB24);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_YUV420P, {AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0}, true), AV_PIX_FMT_BGR0);
  // A colour picture never turns grey because grey is listed first; grey stays grey when it can.
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_RGB48LE, {AV_PIX_FMT_GRAY8, AV_PIX_FMT_RGB24}, false), AV_PIX_FMT_RGB24);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_GRAY16LE, {AV_PIX_FMT_RGB24, AV_PIX_FMT_GRAY8}, false), AV_PIX_FMT_GRAY8);
  // Only grey listed, or only one format at all.
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_BGRA, {AV_PIX_FMT_GRAY8}, true), AV_PIX_FMT_GRAY8);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_RGB24, {AV_PIX_FMT_ARGB}, false), AV_PIX_FMT_ARGB);
  EXPECT_EQ(ChooseTargetFormat(AV_PIX_FMT_RGB24, {}, false), AV_PIX_FMT_NONE);
}

TEST(ColorSpaceConverter, ListedFormatKeepsTheFrame) {
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_BGRA, 4, 3, 4, [](uint32_t x, uint32_t y, int b) { return x + y + b; });
  IDataVideo* before = frame.get();
  frame = Convert(frame, {AV_PIX_FMT_RGB24, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0}, true);
  EXPECT_EQ(frame.get(), before);
}

TEST(ColorSpaceConverter, ArgbBytesAreAlphaRedGreenBlue) {
  // BGRA bytes B=10, G=20, R=30, A=40.
  DataVideoPtr bgra = MakeFrame(AV_PIX_FMT_BGRA, 3, 2, 4, [](uint32_t, uint32_t, int b) { return 10 * (b + 1); });
  DataVideoPtr argb = Convert(bgra, {AV_PIX_FMT_ARGB}, true);
  ASSERT_EQ(argb->GetPixelFormat(), AV_PIX_FMT_ARGB);
  const uint8_t* p = Pixel(*argb, 2, 1, 4);
  EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{40, 30, 20, 10}));

  // Without alpha in the source the alpha byte is opaque.
  DataVideoPtr rgb = MakeFrame(AV_PIX_FMT_RGB24, 2, 2, 3, [](uint32_t, uint32_t, int b) { return 50 + b; });
  argb = Convert(rgb, {AV_PIX_FMT_ARGB}, true);
  p = Pixel(*argb, 1, 1, 4);
  EXPECT_EQ(std::vector<int>(p, p + 4), (std::vector<int>{255, 50, 51, 52}));
  // The source frame is untouched and the timing values travel along.
  EXPECT_EQ(Pixel(*rgb, 0, 0, 3)[0], 50);
}

TEST(ColorSpaceConverter, GreyListGivesLuminance) {
  DataVideoPtr rgb = MakeFrame(AV_PIX_FMT_RGB24, 3, 1, 3, [](uint32_t x, uint32_t, int b) {
    return static_cast<uint8_t>(x == uint32_t(b) ? 255 : 0);  // red, green, blue
  });
  DataVideoPtr grey = Convert(rgb, {AV_PIX_FMT_GRAY8}, false);
  ASSERT_EQ(grey->GetPixelFormat(), AV_PIX_FMT_GRAY8);
  EXPECT_NEAR(Pixel(*grey, 0, 0, 1)[0], 76, 1);
  EXPECT_NEAR(Pixel(*grey, 1, 0, 1)[0], 150, 1);
  EXPECT_NEAR(Pixel(*grey, 2, 0, 1)[0], 29, 1);
}

TEST(ColorSpaceConverter, DecoderFormatsReachTheWorkingFormats) {
  struct Case {
    AVPixelFormat format;
    AVPixelFormat expected;
  };
  for (const Case& c : {Case{AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_RGB24}, Case{AV_PIX_FMT_PAL8, AV_PIX_FMT_BGRA},
                        Case{AV_PIX_FMT_MONOWHITE, AV_PIX_FMT_RGB24}, Case{AV_PIX_FMT_GRAY16LE, AV_PIX_FMT_RGB24},
                        Case{AV_PIX_FMT_RGB48LE, AV_PIX_FMT_RGB24}, Case{AV_PIX_FMT_YA8, AV_PIX_FMT_BGRA}}) {
    SCOPED_TRACE(Conf::PixelFormatToTextID(c.format));
    DataVideoPtr frame = DataVideoFF::Create(c.format, 17, 9);
    DataVideoPtr out = Convert(frame, {AV_PIX_FMT_RGB24, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0}, true);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->GetPixelFormat(), c.expected);
    EXPECT_EQ(out->GetWidth(), 17u);
    EXPECT_EQ(out->GetHeight(), 9u);
  }
  // Full-range mid grey stays mid grey.
  DataVideoPtr yuv = DataVideoFF::Create(AV_PIX_FMT_YUVJ420P, 8, 8);
  for (int p = 0; p < 3; ++p) {
    const uint32_t rows = p ? 4 : 8, cols = p ? 4 : 8;
    for (uint32_t y = 0; y < rows; ++y)
      for (uint32_t x = 0; x < cols; ++x) Pixel(*yuv, x, y, 1, p)[0] = 128;
  }
  DataVideoPtr rgb = Convert(yuv, {AV_PIX_FMT_RGB24}, false);
  for (int b = 0; b < 3; ++b) EXPECT_NEAR(Pixel(*rgb, 3, 3, 3)[b], 128, 2);
}

TEST(ColorSpaceConverter, YuvPlanesKeepTheirRangeAndChromaSiting) {
  const auto yuv = [](AVPixelFormat format, uint32_t w, uint32_t h, int cw, int ch, uint8_t y, uint8_t cb,
                      const std::vector<uint8_t>& crRow) {
    DataVideoPtr frame = DataVideoFF::Create(format, w, h);
    for (uint32_t r = 0; r < h; ++r)
      for (uint32_t x = 0; x < w; ++x) Pixel(*frame, x, r, 1, 0)[0] = y;
    for (int r = 0; r < ch; ++r)
      for (int x = 0; x < cw; ++x) {
        Pixel(*frame, x, r, 1, 1)[0] = cb;
        Pixel(*frame, x, r, 1, 2)[0] = crRow[std::min<size_t>(x, crRow.size() - 1)];
      }
    return Convert(frame, {AV_PIX_FMT_RGB24}, false);
  };
  const auto rgb = [](const DataVideoPtr& f, uint32_t x, uint32_t y) {
    const uint8_t* p = Pixel(*f, x, y, 3);
    return std::vector<int>(p, p + 3);
  };
  // Full-range red on an odd size: the last column and row are converted too.
  DataVideoPtr red = yuv(AV_PIX_FMT_YUVJ420P, 5, 3, 3, 2, 76, 85, {255});
  for (const auto& at : {std::pair<int, int>{0, 0}, {4, 2}, {3, 1}}) {
    const std::vector<int> p = rgb(red, at.first, at.second);
    EXPECT_NEAR(p[0], 254, 1);
    EXPECT_LE(p[1], 1);
    EXPECT_LE(p[2], 1);
  }
  // Studio range: 16 is black and 235 white.
  EXPECT_EQ(rgb(yuv(AV_PIX_FMT_YUV420P, 4, 4, 2, 2, 235, 128, {128}), 1, 1), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(rgb(yuv(AV_PIX_FMT_YUV420P, 4, 4, 2, 2, 16, 128, {128}), 3, 3), (std::vector<int>{0, 0, 0}));
  // Halved chroma sits between two luma pixels: each takes its nearer sample 3:1.
  DataVideoPtr edge = yuv(AV_PIX_FMT_YUVJ422P, 4, 1, 2, 1, 128, 128, {128, 200});
  const int expected[] = {128, 153, 204, 229};
  for (uint32_t x = 0; x < 4; ++x) EXPECT_NEAR(rgb(edge, x, 0)[0], expected[x], 1) << x;
}

TEST(ColorSpaceConverter, RefusesForeignSettingsAndEmptyLists) {
  OneInputEffectPtr converter = MakeOne(IColorSpaceConverter::CLASS_ID);
  EXPECT_THROW(converter->SetSettings(Core::Property("ColorSpaceConverterX")), EffectException);
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_RGB24, 2, 2);
  EXPECT_THROW(converter->Process(frame), EffectException);
  // An empty handle stays empty.
  converter->SetSettings(IColorSpaceConverter::MakeSettings({AV_PIX_FMT_GRAY8}));
  DataVideoPtr none;
  converter->Process(none);
  EXPECT_FALSE(none);
  // GetSettings carries the list back.
  const Core::Property settings = converter->GetSettings();
  ASSERT_TRUE(settings.ChildExists(IColorSpaceConverter::PIXEL_FORMATS));
  EXPECT_EQ(Core::GetValue<int>(settings[IColorSpaceConverter::PIXEL_FORMATS][0]), AV_PIX_FMT_GRAY8);
}
