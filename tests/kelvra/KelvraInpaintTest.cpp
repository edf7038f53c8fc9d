// Exemplar inpainting: settings, refusals, hand-made pictures with known results, stop requests,
// and the fast search against the plain step-by-step form.
#include "KelvraTestSupport.h"

#include "Proc/Effects/Kelvra/InpaintExemplarCore.h"
#include "Proc/Interfaces/IEffectInpaint.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

using namespace KelvraTest;
using namespace Zentor::Proc::OpenCV;

namespace {

TwoInputEffectPtr Inpainter(long long patchSize, double lookup = 50.0) {
  TwoInputEffectPtr effect = CreateTwo(IEffectInpaint::CLASS_ID);
  Core::Property settings = Settings(IEffectInpaint::CLASS_ID);
  settings.SetChildT(IEffectInpaint::PATCH_SIZE, patchSize);
  settings.SetChildT(IEffectInpaint::LOOKUP_SIZE, lookup);
  effect->SetSettings(settings);
  return effect;
}

cv::Mat RunEffect(const TwoInputEffectPtr& effect, const cv::Mat& picture, const cv::Mat& mask) {
  DataVideoPtr frame = FrameFromMat(picture, AV_PIX_FMT_BGR24);
  effect->Process(frame, FrameFromMat(mask, AV_PIX_FMT_GRAY8));
  return MatFromFrame(frame);
}

// Noise that never takes the value 100 in any channel.
cv::Mat NoiseWithout100(int width, int height) {
  cv::Mat picture(height, width, CV_8UC3);
  cv::RNG rng(7);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      cv::Vec3b& px = picture.at<cv::Vec3b>(y, x);
      for (int c = 0; c < 3; ++c) px[c] = static_cast<uchar>(rng.uniform(0, 2) ? rng.uniform(0, 60) : rng.uniform(160, 256));
    }
  }
  return picture;
}

// A flat 5x5 block of grey 100 with a centre of its own.
void Block(cv::Mat& picture, cv::Point centre, uchar centreValue) {
  picture(cv::Rect(centre.x - 2, centre.y - 2, 5, 5)).setTo(cv::Scalar(100, 100, 100));
  picture.at<cv::Vec3b>(centre) = cv::Vec3b(centreValue, centreValue, centreValue);
}

// A one-pixel hole at (8, 8) inside a flat block, and two other flat blocks A and B whose centres
// differ: with patch size 3 every target patch sees only grey 100 around the hole, so exactly the two
// windows centred like the hole on A and on B match with distance 0; the fill takes the centre of
// the one that wins the tie.
struct TieScene {
  cv::Mat picture;
  cv::Mat mask;
};

TieScene MakeTieScene(cv::Point a, uchar aValue, cv::Point b, uchar bValue) {
  TieScene scene{NoiseWithout100(40, 16), cv::Mat(16, 40, CV_8UC1, cv::Scalar(0))};
  Block(scene.picture, cv::Point(8, 8), 37);
  Block(scene.picture, a, aValue);
  Block(scene.picture, b, bValue);
  scene.mask.at<uchar>(8, 8) = 255;
  return scene;
}

cv::Mat WithPixel(const cv::Mat& picture, cv::Point at, uchar value) {
  cv::Mat expected = picture.clone();
  expected.at<cv::Vec3b>(at) = cv::Vec3b(value, value, value);
  return expected;
}

}  // namespace

TEST(KelvraInpaint, PatchSizeIsMadeOdd) {
  TwoInputEffectPtr effect = Inpainter(8, 42.5);
  const Core::Property settings = effect->GetSettings();
  EXPECT_EQ(Core::GetValue<long long>(settings[IEffectInpaint::PATCH_SIZE]), 9);
  EXPECT_EQ(Core::GetValue<double>(settings[IEffectInpaint::LOOKUP_SIZE]), 42.5);
  // Patch size 1 has half size 0: never initialised.
  cv::Mat picture(20, 20, CV_8UC3, cv::Scalar(1, 2, 3));
  cv::Mat mask(20, 20, CV_8UC1, cv::Scalar(0));
  EXPECT_EQ(EffectError([&] { RunEffect(Inpainter(1), picture, mask); }), "Effect was not initialized");
  EXPECT_EQ(EffectError([&] { RunEffect(CreateTwo(IEffectInpaint::CLASS_ID), picture, mask); }),
            "Effect was not initialized");
}

TEST(KelvraInpaint, InputChecks) {
  TwoInputEffectPtr effect = Inpainter(3);
  DataVideoPtr bgra = DataVideoFF::Create(AV_PIX_FMT_BGRA, 20, 20);
  DataVideoPtr mask = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 20, 20);
  EXPECT_EQ(EffectError([&] { effect->Process(bgra, mask); }), "Incorrect source pixel format");
  DataVideoPtr bgr = DataVideoFF::Create(AV_PIX_FMT_BGR24, 20, 20);
  EXPECT_EQ(EffectError([&] { effect->Process(bgr, DataVideoFF::Create(AV_PIX_FMT_BGR24, 20, 20)); }),
            "Incorrect mask pixel format");
  EXPECT_EQ(EffectError([&] { effect->Process(bgr, DataVideoFF::Create(AV_PIX_FMT_GRAY8, 20, 19)); }),
            "Incorrect mask size");
  DataVideoPtr before = bgr;
  EXPECT_EQ(EffectError([&] { effect->Process(bgr, DataVideoPtr()); }), "Incorrect mask size");
  EXPECT_EQ(bgr.get(), before.get());
}

TEST(KelvraInpaint, SmallPicturesAreRefused) {
  // 100 x 80: D = 100, E = 75; patch 37 (S = 74) runs, patch 39 (S = 78) does not.
  cv::Mat picture(80, 100, CV_8UC3);
  cv::randu(picture, 0, 256);
  cv::Mat mask(80, 100, CV_8UC1, cv::Scalar(0));
  mask(cv::Rect(90, 70, 3, 3)).setTo(255);
  EXPECT_EQ(EffectError([&] { RunEffect(Inpainter(39), picture, mask); }), "Source image too small");
  const cv::Mat result = RunEffect(Inpainter(37), picture, mask);
  cv::Mat outside;
  cv::compare(mask, 10, outside, cv::CMP_LE);
  EXPECT_EQ(cv::norm(result, picture, cv::NORM_INF, outside), 0);
}

TEST(KelvraInpaint, LookupSizeAnchors) {
  EXPECT_NEAR(ExemplarLookupSize(1000, 9, 50), 314.615, 1e-3);
  EXPECT_NEAR(ExemplarLookupSize(1000, 9, 75), 500.0, 1e-9);
  EXPECT_NEAR(ExemplarLookupSize(1000, 9, 90), 724.49, 1e-2);
  EXPECT_NEAR(ExemplarLookupSize(1000, 9, 100), 1000.0, 1e-9);
  EXPECT_NEAR(ExemplarLookupSize(1000, 9, 10), 18.0, 1e-9);
  EXPECT_NEAR(ExemplarLookupSize(666, 9, 75), 499.5, 1e-9);
}

TEST(KelvraInpaint, EqualTiesPickSmallerXThenSmallerY) {
  // Equal distance and equal measure (centres 90 and 110 lie 10 from grey 100 either way).
  TieScene byX = MakeTieScene({20, 4}, 90, {30, 10}, 110);
  EXPECT_TRUE(SameBytes(RunEffect(Inpainter(3), byX.picture, byX.mask), WithPixel(byX.picture, {8, 8}, 90)));
  TieScene byX2 = MakeTieScene({20, 10}, 110, {30, 4}, 90);
  EXPECT_TRUE(SameBytes(RunEffect(Inpainter(3), byX2.picture, byX2.mask), WithPixel(byX2.picture, {8, 8}, 110)));
  TieScene byY = MakeTieScene({20, 4}, 110, {20, 11}, 90);
  EXPECT_TRUE(SameBytes(RunEffect(Inpainter(3), byY.picture, byY.mask), WithPixel(byY.picture, {8, 8}, 110)));
}

TEST(KelvraInpaint, LowerMeasureWinsEqualDistance) {
  // B comes later in scan order but its centre lies closer to its surroundings.
  TieScene scene = MakeTieScene({20, 4}, 130, {30, 10}, 105);
  EXPECT_TRUE(SameBytes(RunEffect(Inpainter(3), scene.picture, scene.mask), WithPixel(scene.picture, {8, 8}, 105)));
}

TEST(KelvraInpaint, MaskValueTenIsKnownElevenIsHole) {
  // A's centre marked 10 stays a known pixel: A's window is still a candidate and wins.
  TieScene scene = MakeTieScene({20, 4}, 90, {30, 10}, 110);
  scene.mask.at<uchar>(8, 8) = 11;
  scene.mask.at<uchar>(4, 20) = 10;
  EXPECT_TRUE(SameBytes(RunEffect(Inpainter(3), scene.picture, scene.mask), WithPixel(scene.picture, {8, 8}, 90)));
}

TEST(KelvraInpaint, FillsOnlyTheHoleAndReportsProgress) {
  cv::Mat picture(60, 80, CV_8UC3);
  cv::randu(picture, 0, 256);
  cv::GaussianBlur(picture, picture, cv::Size(5, 5), 0);
  cv::Mat mask(60, 80, CV_8UC1, cv::Scalar(0));
  cv::circle(mask, {30, 25}, 6, cv::Scalar(90), cv::FILLED);
  mask.at<uchar>(0, 79) = 200;  // a hole pixel in the corner
  mask.at<uchar>(50, 10) = 5;   // soft but known
  const int holes = cv::countNonZero(mask > 10);

  TwoInputEffectPtr effect = Inpainter(5);
  boost::intrusive_ptr<TestController> controller(new TestController());
  effect->SetProgressController(controller);
  const cv::Mat result = RunEffect(effect, picture, mask);
  EXPECT_EQ(controller->maximumCalls, 1);
  EXPECT_EQ(controller->maximum, holes);
  EXPECT_EQ(controller->progress, holes);
  cv::Mat known = mask <= 10;
  EXPECT_EQ(cv::norm(result, picture, cv::NORM_INF, known), 0);

  const Core::Property stats = effect->GetStatistic();
  EXPECT_EQ(Core::GetValue<long long>(stats["Count"]), 1);
  double shares = 0;
  for (const char* phase : {"computeFillFront", "computeConfidence", "computeData", "computeTarget",
                            "computeBestPatch", "updateMats", "checkEnd"}) {
    EXPECT_GE(Core::GetValue<double>(stats[phase]), 0.0) << phase;
    shares += Core::GetValue<double>(stats[std::string(phase) + "Pct"]);
  }
  EXPECT_LE(shares, 100.0 + 1e-9);
}

TEST(KelvraInpaint, StatisticsOfAFreshEffectAreZero) {
  const Core::Property stats = CreateTwo(IEffectInpaint::CLASS_ID)->GetStatistic();
  EXPECT_EQ(Core::GetValue<double>(stats["total"]), 0.0);
  EXPECT_EQ(Core::GetValue<double>(stats["computeBestPatchPct"]), 0.0);
  EXPECT_EQ(Core::GetValue<double>(stats["checkEndPct"]), 0.0);
}

TEST(KelvraInpaint, StopRequestsEndTheRunWithoutError) {
  cv::Mat picture(50, 70, CV_8UC3);
  cv::randu(picture, 0, 256);
  cv::Mat mask(50, 70, CV_8UC1, cv::Scalar(0));
  mask(cv::Rect(20, 15, 12, 10)).setTo(255);

  // Stopped before the first patch: the result is the source.
  TwoInputEffectPtr effect = Inpainter(5);
  boost::intrusive_ptr<TestController> always(new TestController());
  always->stopAfter = 0;
  effect->SetProgressController(always);
  EXPECT_TRUE(SameBytes(RunEffect(effect, picture, mask), picture));
  EXPECT_EQ(always->progress, 0);
  EXPECT_EQ(Core::GetValue<long long>(effect->GetStatistic()["Count"]), 1);

  // Stopped later: part of the hole is filled, nothing outside it changed.
  boost::intrusive_ptr<TestController> later(new TestController());
  later->stopAfter = 9;
  effect->SetProgressController(later);
  const cv::Mat partial = RunEffect(effect, picture, mask);
  EXPECT_GT(later->progress, 0);
  EXPECT_LT(later->progress, 120);
  EXPECT_EQ(cv::norm(partial, picture, cv::NORM_INF, mask == 0), 0);
}

TEST(KelvraInpaint, MaskWithoutHoleReturnsTheSource) {
  cv::Mat picture(30, 30, CV_8UC3);
  cv::randu(picture, 0, 256);
  cv::Mat mask(30, 30, CV_8UC1, cv::Scalar(10));
  TwoInputEffectPtr effect = Inpainter(3);
  boost::intrusive_ptr<TestController> controller(new TestController());
  effect->SetProgressController(controller);
  EXPECT_TRUE(SameBytes(RunEffect(effect, picture, mask), picture));
  EXPECT_EQ(controller->maximum, 0);
}

TEST(KelvraInpaint, HoleWithoutRoomForAPatchNeedsMoreLookupSize) {
  cv::Mat picture(20, 20, CV_8UC3);
  cv::randu(picture, 0, 256);
  cv::Mat mask(20, 20, CV_8UC1, cv::Scalar(255));
  mask.row(0).setTo(0);
  mask.col(0).setTo(0);
  EXPECT_EQ(EffectError([&] { RunEffect(Inpainter(3), picture, mask); }), "Need more lookup size");
  mask.setTo(255);  // nothing known at all
  EXPECT_EQ(EffectError([&] { RunEffect(Inpainter(3), picture, mask); }), "Need more lookup size");
}

// ---------------------------------------------------------------------------------------------
// The fast form against the plain one, on pictures that stress ties, borders and several holes.

namespace {

class Quiet : public ExemplarProgress {
 public:
  void SetMaximum(int) override {}
  void IncProgress(int) override {}
  bool CheckForStop() override { return false; }
};

void ExpectSameAsPlain(const cv::Mat& picture, const cv::Mat& mask, int halfSize, int threads) {
  Quiet quiet;
  ExemplarTimes times;
  cv::Mat plain(picture.size(), CV_8UC3), fast(picture.size(), CV_8UC3);
  const ExemplarResult plainResult = RunExemplarInpaint(picture, mask, plain, halfSize, quiet, ExemplarMode::Plain, times);
  const ExemplarResult fastResult =
      RunExemplarInpaint(picture, mask, fast, halfSize, quiet, ExemplarMode::Fast, times, threads);
  EXPECT_EQ(static_cast<int>(plainResult), static_cast<int>(fastResult));
  EXPECT_TRUE(SameBytes(plain, fast)) << "half size " << halfSize << ", threads " << threads;
}

}  // namespace

TEST(KelvraInpaintFast, SameBytesAsThePlainForm) {
  cv::RNG rng(12345);
  const int halfSizes[] = {1, 2, 3, 5};
  for (int round = 0; round < 8; ++round) {
    const int width = rng.uniform(40, 90), height = rng.uniform(30, 70);
    cv::Mat picture(height, width, CV_8UC3);
    if (round % 2 == 0) {
      // Few levels in blocks: many candidates tie.
      cv::Mat small(height / 4 + 1, width / 4 + 1, CV_8UC3);
      rng.fill(small, cv::RNG::UNIFORM, 0, 3);
      small *= 40;
      cv::resize(small, picture, picture.size(), 0, 0, cv::INTER_NEAREST);
    } else {
      rng.fill(picture, cv::RNG::UNIFORM, 0, 256);
      cv::GaussianBlur(picture, picture, cv::Size(3, 3), 0);
    }
    cv::Mat mask(height, width, CV_8UC1, cv::Scalar(0));
    cv::circle(mask, {rng.uniform(0, width), rng.uniform(0, height)}, rng.uniform(2, 7), cv::Scalar(255), cv::FILLED);
    cv::rectangle(mask, cv::Rect(width - 4, 0, 4, 5), cv::Scalar(rng.uniform(11, 256)), cv::FILLED);  // at the border
    mask.at<uchar>(height / 2, width / 3) = 11;
    ExpectSameAsPlain(picture, mask, halfSizes[round % 4], 1 + round % 3);
  }
}

TEST(KelvraInpaintFast, FlatPictureWithHugeTieLists) {
  cv::Mat picture(48, 64, CV_8UC3, cv::Scalar(50, 60, 70));
  picture(cv::Rect(0, 0, 64, 10)).setTo(cv::Scalar(10, 200, 30));
  cv::Mat mask(48, 64, CV_8UC1, cv::Scalar(0));
  mask(cv::Rect(25, 6, 9, 9)).setTo(255);
  ExpectSameAsPlain(picture, mask, 2, 4);
}

TEST(KelvraInpaintFast, DistantHolesAcrossManyTiles) {
  cv::Mat picture(110, 150, CV_8UC3);
  cv::RNG rng(3);
  rng.fill(picture, cv::RNG::UNIFORM, 0, 256);
  cv::GaussianBlur(picture, picture, cv::Size(7, 7), 0);
  cv::Mat mask(110, 150, CV_8UC1, cv::Scalar(0));
  cv::circle(mask, {12, 14}, 5, cv::Scalar(255), cv::FILLED);
  cv::rectangle(mask, cv::Rect(131, 96, 19, 9), cv::Scalar(40), cv::FILLED);
  mask.at<uchar>(60, 70) = 200;
  ExpectSameAsPlain(picture, mask, 3, 4);
}
