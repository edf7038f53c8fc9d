#include "EffectsTestSupport.h"

#include "Platform/Effects/AlphaPlanes.h"
#include "Proc/Interfaces/IAlphaInserter.h"
#include "Proc/Interfaces/IBlend.h"
#include "Proc/Interfaces/IExtraAlphaExtractor.h"

#include <limits>

using namespace EffectsTest;

namespace {

struct Rect {
  uint32_t left, top, width, height;
};

// The painters' blending: insert the alpha into a view of the picture, extract it for the
// picture's format, hang both on planes 6 and 7, then blend into a copy of the source.
DataVideoPtr BlendLikePainters(const DataVideoPtr& source, const DataVideoPtr& alpha, const DataVideoPtr& picture,
                               Rect r) {
  DataVideoPtr result = source->CreateCopy();
  DataVideoPtr alphaView = alpha->CreateView();
  alphaView->Limit(r.left, r.top, r.width, r.height);
  DataVideoPtr pictureView = picture->CreateView();
  pictureView->Limit(r.left, r.top, r.width, r.height);

  TwoInputEffectPtr inserter = MakeTwo(IAlphaInserter::CLASS_ID);
  inserter->Process(pictureView, alphaView);

  OneInputEffectPtr extractor = MakeOne(IExtraAlphaExtractor::CLASS_ID);
  Core::Property es = extractor->GetSettings();
  es.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(pictureView->GetPixelFormat()));
  extractor->SetSettings(es);
  DataVideoPtr extracted = alphaView;
  extractor->Process(extracted);

  Picture& pp = pictureView->GetPicture();
  pp.data[Effects::ALPHA_PLANE] = alphaView->GetPicture().data[0];
  pp.linesize[Effects::ALPHA_PLANE] = alphaView->GetPicture().linesize[0];
  pp.data[Effects::EXTRA_ALPHA_PLANE] = extracted->GetPicture().data[0];
  pp.linesize[Effects::EXTRA_ALPHA_PLANE] = extracted->GetPicture().linesize[0];

  TwoInputEffectPtr blend = MakeTwo(IBlend::CLASS_ID);
  Core::Property bs = Preset(IBlend::CLASS_ID);
  bs.SetChildT(IBlend::BLENDING_POSITION_X, static_cast<long long>(r.left));
  bs.SetChildT(IBlend::BLENDING_POSITION_Y, static_cast<long long>(r.top));
  bs.SetChildT(IBlend::BLENDING_ALPHA, 255LL);
  blend->SetSettings(bs);
  blend->Process(result, pictureView);
  return result;
}

}  // namespace

TEST(Blend, MixesOnlyInsideTheRectangleAndWritesNoInput) {
  const uint32_t w = 20, h = 16;
  DataVideoPtr source = MakeFrame(AV_PIX_FMT_BGRA, w, h, 4, [](uint32_t x, uint32_t y, int b) {
    return static_cast<uint8_t>(b == 3 ? 200 : (x * 7 + y * 3 + b * 50) % 256);
  });
  // The overlay colour with a zero alpha byte, as the selection overlay has it.
  DataVideoPtr colour =
      MakeFrame(AV_PIX_FMT_BGRA, w, h, 4, [](uint32_t, uint32_t, int b) { return uint8_t(b == 0 ? 0x12 : b == 1 ? 0xFF : b == 2 ? 0x2E : 0); });
  DataVideoPtr mask = MakeFrame(AV_PIX_FMT_GRAY8, w, h, 1, [](uint32_t x, uint32_t y, int) {
    return uint8_t(x >= 5 && x < 12 && y >= 4 && y < 10 ? (x == 5 ? 0 : x == 6 ? 255 : 90) : 0);
  });
  const std::vector<uint8_t> sourceBefore = Bytes(*source, 4), colourBefore = Bytes(*colour, 4),
                             maskBefore = Bytes(*mask, 1);

  DataVideoPtr result = BlendLikePainters(source, mask, colour, {5, 4, 7, 6});
  ASSERT_NE(result.get(), source.get());
  EXPECT_EQ(Bytes(*source, 4), sourceBefore);
  EXPECT_EQ(Bytes(*colour, 4), colourBefore);
  EXPECT_EQ(Bytes(*mask, 1), maskBefore);

  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* s = Pixel(*source, x, y, 4);
      const uint8_t* r = Pixel(*result, x, y, 4);
      const uint8_t* c = Pixel(*colour, x, y, 4);
      const unsigned a = Pixel(*mask, x, y, 1)[0];
      EXPECT_EQ(r[3], s[3]);  // the picture's own alpha stays
      for (int b = 0; b < 3; ++b) {
        const int expected = static_cast<int>((s[b] * (255 - a) + c[b] * a + 127) / 255);
        ASSERT_NEAR(r[b], expected, 1) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(Pixel(*result, 6, 5, 4)[1], 0xFF);  // alpha 255 shows the colour fully
}

TEST(Blend, ClipsAPictureReachingOutsideTheFrame) {
  DataVideoPtr frame = MakeFrame(AV_PIX_FMT_RGB24, 8, 6, 3, [](uint32_t, uint32_t, int) { return 10; });
  DataVideoPtr picture = MakeFrame(AV_PIX_FMT_RGB24, 5, 5, 3, [](uint32_t, uint32_t, int) { return 250; });
  TwoInputEffectPtr blend = MakeTwo(IBlend::CLASS_ID);
  Core::Property bs = Preset(IBlend::CLASS_ID);
  bs.SetChildT(IBlend::BLENDING_POSITION_X, -3LL);
  bs.SetChildT(IBlend::BLENDING_POSITION_Y, 4LL);
  blend->SetSettings(bs);
  blend->Process(frame, picture);  // no alpha planes: opaque
  EXPECT_EQ(Pixel(*frame, 0, 4, 3)[0], 250);
  EXPECT_EQ(Pixel(*frame, 1, 5, 3)[2], 250);
  EXPECT_EQ(Pixel(*frame, 2, 5, 3)[0], 10);
  EXPECT_EQ(Pixel(*frame, 0, 3, 3)[0], 10);

  // Positions at the ends of the 64-bit range leave the frame as it was.
  const std::vector<uint8_t> before = Bytes(*frame, 3);
  for (long long position : {std::numeric_limits<long long>::max(), std::numeric_limits<long long>::min()}) {
    bs.SetChildT(IBlend::BLENDING_POSITION_X, position);
    bs.SetChildT(IBlend::BLENDING_POSITION_Y, 0LL);
    blend->SetSettings(bs);
    blend->Process(frame, picture);
    bs.SetChildT(IBlend::BLENDING_POSITION_X, 0LL);
    bs.SetChildT(IBlend::BLENDING_POSITION_Y, position);
    blend->SetSettings(bs);
    blend->Process(frame, picture);
  }
  EXPECT_EQ(Bytes(*frame, 3), before);
}

TEST(AlphaExtractor, SubsamplesForChromaFormatsAndKeepsGreyAlpha) {
  DataVideoPtr alpha = MakeFrame(AV_PIX_FMT_GRAY8, 5, 3, 1, [](uint32_t x, uint32_t, int) { return x < 2 ? 200 : 0; });
  OneInputEffectPtr extractor = MakeOne(IExtraAlphaExtractor::CLASS_ID);
  Core::Property es = extractor->GetSettings();
  es.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(AV_PIX_FMT_BGRA));
  extractor->SetSettings(es);
  DataVideoPtr out = alpha;
  extractor->Process(out);
  EXPECT_EQ(out.get(), alpha.get());

  es.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(AV_PIX_FMT_YUV420P));
  extractor->SetSettings(es);
  out = alpha;
  extractor->Process(out);
  ASSERT_EQ(out->GetWidth(), 3u);
  ASSERT_EQ(out->GetHeight(), 2u);
  EXPECT_EQ(Pixel(*out, 0, 0, 1)[0], 200);
  EXPECT_EQ(Pixel(*out, 2, 1, 1)[0], 0);

  // A BGRA input gives its alpha channel.
  DataVideoPtr bgra = MakeFrame(AV_PIX_FMT_BGRA, 2, 2, 4, [](uint32_t, uint32_t, int b) { return b == 3 ? 77 : 5; });
  es.SetChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(AV_PIX_FMT_RGB24));
  extractor->SetSettings(es);
  extractor->Process(bgra);
  ASSERT_EQ(bgra->GetPixelFormat(), AV_PIX_FMT_GRAY8);
  EXPECT_EQ(Pixel(*bgra, 1, 1, 1)[0], 77);
}
