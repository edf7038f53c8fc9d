// Blur, flood fill and morphology through the framework's effect factory.
#include "KelvraTestSupport.h"

#include "Proc/Interfaces/IEffectBlur.h"
#include "Proc/Interfaces/IEffectFloodFill.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "Proc/Interfaces/IEffectMorphology.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

using namespace KelvraTest;

namespace {

Core::Property BlurSettings(const char* algorithm) {
  Core::Property settings = Settings(IEffectBlur::CLASS_ID);
  if (algorithm) settings.SetChildT(IEffectBlur::ALGORITHM, std::string(algorithm));
  return settings;
}

double Deviation(const OneInputEffectPtr& effect, const char* key) {
  return Core::GetValue<double>(effect->GetSettings()[key]);
}

}  // namespace

TEST(KelvraBlur, DeviationDefaultsFollowTheAlgorithm) {
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  Core::Property bilateral = BlurSettings(IEffectBlur::BILATERAL);
  bilateral.SetChildT(IEffectBlur::KERNEL_LENGTH, 9);
  blur->SetSettings(bilateral);
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_X), 18.0);
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_Y), 4.0);
  EXPECT_EQ(Core::GetValue<long long>(blur->GetSettings()[IEffectBlur::KERNEL_LENGTH]), 9);

  blur->SetSettings(BlurSettings(IEffectBlur::MEDIAN));
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_X), 18.0);
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_Y), 4.0);

  blur->SetSettings(BlurSettings(IEffectBlur::GAUSSIAN));
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_X), 0.0);
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_Y), 0.0);

  Core::Property homogeneous = BlurSettings(IEffectBlur::HOMOGENEOUS);
  homogeneous.SetChildT(IEffectBlur::DEVIATION_X, 1.7);
  blur->SetSettings(homogeneous);
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_X), 1.7);
  EXPECT_EQ(Deviation(blur, IEffectBlur::DEVIATION_Y), -1.0);
}

TEST(KelvraBlur, HomogeneousUsesTruncatedAnchor) {
  cv::Mat picture(5, 7, CV_8UC1);
  cv::randu(picture, 0, 256);
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  Core::Property settings = BlurSettings(IEffectBlur::HOMOGENEOUS);
  settings.SetChildT(IEffectBlur::KERNEL_LENGTH, 3);
  settings.SetChildT(IEffectBlur::DEVIATION_X, 0.9);  // anchor x 0
  blur->SetSettings(settings);
  DataVideoPtr frame = FrameFromMat(picture, AV_PIX_FMT_GRAY8);
  blur->Process(frame);
  cv::Mat expected;
  cv::blur(picture, expected, cv::Size(3, 3), cv::Point(0, -1), cv::BORDER_REFLECT_101);
  EXPECT_TRUE(SameBytes(MatFromFrame(frame), expected));
}

TEST(KelvraBlur, RefusalsAreEffectExceptions) {
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 16, 16);
  // No strategy before the first settings.
  EXPECT_EQ(EffectError([&] { blur->Process(frame); }), "Effect was not initialized");

  Core::Property median = BlurSettings(IEffectBlur::MEDIAN);
  median.SetChildT(IEffectBlur::KERNEL_LENGTH, 5);
  blur->SetSettings(median);
  // An unknown name keeps what was read and the previous strategy.
  Core::Property unknown = BlurSettings("Box");
  unknown.SetChildT(IEffectBlur::KERNEL_LENGTH, 4);
  EXPECT_EQ(EffectError([&] { blur->SetSettings(unknown); }), "Unknown algorithm: Box");
  EXPECT_EQ(Core::GetValue<std::string>(blur->GetSettings()[IEffectBlur::ALGORITHM]), "Box");
  // The median strategy is still in force and refuses the even kernel: OpenCV's refusal arrives
  // as an EffectException and the frame keeps the source.
  DataVideoPtr source = frame;
  const std::string error = EffectError([&] { blur->Process(frame); });
  EXPECT_TRUE(IsOpenCVError(error)) << error;
  EXPECT_NE(error.find("ksize"), std::string::npos) << error;
  EXPECT_EQ(frame.get(), source.get());
}

TEST(KelvraBlur, BilateralOnFourChannelsKeepsTheFourthByte) {
  cv::Mat picture(12, 10, CV_8UC4);
  cv::randu(picture, 0, 256);
  OneInputEffectPtr blur = CreateOne(IEffectBlur::CLASS_ID);
  Core::Property settings = BlurSettings(IEffectBlur::BILATERAL);
  settings.SetChildT(IEffectBlur::KERNEL_LENGTH, 5);
  blur->SetSettings(settings);
  for (AVPixelFormat format : {AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0}) {
    DataVideoPtr frame = FrameFromMat(picture, format);
    blur->Process(frame);
    const cv::Mat result = MatFromFrame(frame);
    cv::Mat colour, filtered;
    cv::cvtColor(picture, colour, cv::COLOR_BGRA2BGR);
    cv::bilateralFilter(colour, filtered, 5, 10.0, 2.0, cv::BORDER_REFLECT_101);
    cv::Mat resultColour, resultFourth, sourceFourth;
    cv::cvtColor(result, resultColour, cv::COLOR_BGRA2BGR);
    cv::extractChannel(result, resultFourth, 3);
    cv::extractChannel(picture, sourceFourth, 3);
    EXPECT_TRUE(SameBytes(resultColour, filtered));
    EXPECT_TRUE(SameBytes(resultFourth, sourceFourth));
  }
}

namespace {

OneInputEffectPtr FloodFillEffect(uint32_t x, uint32_t y, uint32_t color, bool maskOnly, int connectivity = 4,
                                  uint32_t lower = 0, uint32_t upper = 0) {
  OneInputEffectPtr fill = CreateOne(IEffectFloodFill::CLASS_ID);
  Core::Property settings = Settings(IEffectFloodFill::CLASS_ID);
  settings.SetChildT(IEffectFloodFill::SEED_X, static_cast<long long>(x));
  settings.SetChildT(IEffectFloodFill::SEED_Y, static_cast<long long>(y));
  settings.SetChildT(IEffectFloodFill::COLOR, static_cast<long long>(color));
  settings.SetChildT(IEffectFloodFill::DIFF_LOWER, static_cast<long long>(lower));
  settings.SetChildT(IEffectFloodFill::DIFF_UPPER, static_cast<long long>(upper));
  settings.SetChildT(IEffectFloodFill::MASK_ONLY, maskOnly);
  settings.SetChildT(IEffectFloodFill::CONNECTIVITY, connectivity);
  fill->SetSettings(settings);
  return fill;
}

}  // namespace

TEST(KelvraFloodFill, NeedsSeedAndColour) {
  OneInputEffectPtr fill = CreateOne(IEffectFloodFill::CLASS_ID);
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 8, 8);
  EXPECT_EQ(EffectError([&] { fill->Process(frame); }), "Effect was not initialized");
  Core::Property seed = Settings(IEffectFloodFill::CLASS_ID);
  seed.SetChildT(IEffectFloodFill::SEED_X, 1);
  seed.SetChildT(IEffectFloodFill::SEED_Y, 1);
  fill->SetSettings(seed);
  EXPECT_EQ(EffectError([&] { fill->Process(frame); }), "Effect was not initialized");

  Core::Property six = Settings(IEffectFloodFill::CLASS_ID);
  six.SetChildT(IEffectFloodFill::CONNECTIVITY, 6);
  EXPECT_EQ(EffectError([&] { fill->SetSettings(six); }), "Connectivity must be 4 or 8");
  EXPECT_EQ(Core::GetValue<long long>(fill->GetSettings()[IEffectFloodFill::CONNECTIVITY]), 6);
}

TEST(KelvraFloodFill, MaskModeGivesAGrayMaskOfTheSourceSize) {
  // A BGRA picture: a 30x20 block of one colour on another.
  cv::Mat picture(80, 100, CV_8UC4, cv::Scalar(10, 20, 30, 0));
  picture(cv::Rect(40, 30, 30, 20)).setTo(cv::Scalar(200, 100, 50, 255));
  DataVideoPtr frame = FrameFromMat(picture, AV_PIX_FMT_BGRA);
  DataVideoPtr source = frame;
  FloodFillEffect(50, 35, 255, true)->Process(frame);
  ASSERT_EQ(frame->GetPixelFormat(), AV_PIX_FMT_GRAY8);
  ASSERT_EQ(frame->GetWidth(), 100u);
  ASSERT_EQ(frame->GetHeight(), 80u);
  cv::Mat expected(80, 100, CV_8UC1, cv::Scalar(0));
  expected(cv::Rect(40, 30, 30, 20)).setTo(255);
  EXPECT_TRUE(SameBytes(MatFromFrame(frame), expected));
  EXPECT_TRUE(SameBytes(MatFromFrame(source), picture));
}

TEST(KelvraFloodFill, MaskValueIsTheColoursLowByte) {
  cv::Mat picture(6, 6, CV_8UC3, cv::Scalar(5, 5, 5));
  for (uint32_t colour : {300u, 256u}) {
    DataVideoPtr frame = FrameFromMat(picture, AV_PIX_FMT_BGR24);
    FloodFillEffect(2, 2, colour, true)->Process(frame);
    const cv::Mat mask = MatFromFrame(frame);
    // 300 writes 44; 256 has a low byte of 0, for which the fill writes 1.
    EXPECT_EQ(mask.at<uint8_t>(0, 0), colour == 300u ? 44 : 1) << colour;
    EXPECT_EQ(cv::countNonZero(mask), 36);
  }
}

TEST(KelvraFloodFill, DiagonalNeighboursOnlyWithConnectivityEight) {
  cv::Mat picture(5, 5, CV_8UC1, cv::Scalar(0));
  picture.at<uint8_t>(1, 1) = 200;
  picture.at<uint8_t>(2, 2) = 200;  // touches (1, 1) only at a corner
  for (int connectivity : {4, 8}) {
    DataVideoPtr frame = FrameFromMat(picture, AV_PIX_FMT_GRAY8);
    FloodFillEffect(1, 1, 255, true, connectivity)->Process(frame);
    const cv::Mat mask = MatFromFrame(frame);
    EXPECT_EQ(mask.at<uint8_t>(1, 1), 255);
    EXPECT_EQ(mask.at<uint8_t>(2, 2), connectivity == 8 ? 255 : 0) << connectivity;
    EXPECT_EQ(cv::countNonZero(mask), connectivity == 8 ? 2 : 1);
  }
}

TEST(KelvraFloodFill, ImageModeFillsWithSaturatedColourAndFixedRange) {
  // A ramp: with fixed range and tolerance 2 the fill stops 2 levels away from the seed's value.
  cv::Mat picture(3, 10, CV_8UC3);
  for (int x = 0; x < 10; ++x) picture.col(x).setTo(cv::Scalar(100 + x, 50, 50));
  DataVideoPtr frame = FrameFromMat(picture, AV_PIX_FMT_BGR24);
  FloodFillEffect(4, 1, 300, false, 4, 2, 2)->Process(frame);
  const cv::Mat result = MatFromFrame(frame);
  for (int x = 0; x < 10; ++x) {
    const bool filled = x >= 2 && x <= 6;
    EXPECT_EQ(result.at<cv::Vec3b>(1, x), filled ? cv::Vec3b(255, 0, 0) : picture.at<cv::Vec3b>(1, x)) << x;
  }

  // Four channels: the colours are filled, the fourth byte stays.
  cv::Mat bgra(4, 4, CV_8UC4, cv::Scalar(1, 2, 3, 77));
  bgra.at<cv::Vec4b>(0, 0) = cv::Vec4b(9, 9, 9, 5);
  DataVideoPtr four = FrameFromMat(bgra, AV_PIX_FMT_BGRA);
  FloodFillEffect(2, 2, 40, false)->Process(four);
  const cv::Mat filled = MatFromFrame(four);
  EXPECT_EQ(filled.at<cv::Vec4b>(2, 2), cv::Vec4b(40, 0, 0, 77));
  EXPECT_EQ(filled.at<cv::Vec4b>(0, 0), cv::Vec4b(9, 9, 9, 5));
}

TEST(KelvraFloodFill, SeedOutsideThePictureIsAnEffectException) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 4, 4);
  const std::string error = EffectError([&] { FloodFillEffect(10, 1, 255, true)->Process(frame); });
  EXPECT_TRUE(IsOpenCVError(error)) << error;
}

namespace {

void Morph(const OneInputEffectPtr& effect, const char* operation, int iterations, DataVideoPtr& frame) {
  Core::Property settings = Settings(IEffectMorphology::CLASS_ID);
  if (operation) settings.SetChildT(IEffectMorphology::OPERATION, std::string(operation));
  if (iterations > 0) settings.SetChildT(IEffectMorphology::ITERATIONS, iterations);
  effect->SetSettings(settings);
  effect->Process(frame);
}

}  // namespace

TEST(KelvraMorphology, DilateTwiceThenCloseGivesAFiveByFiveSquare) {
  cv::Mat mask(15, 15, CV_8UC1, cv::Scalar(0));
  mask.at<uint8_t>(7, 7) = 90;
  DataVideoPtr frame = FrameFromMat(mask, AV_PIX_FMT_GRAY8);
  OneInputEffectPtr effect = CreateOne(IEffectMorphology::CLASS_ID);
  Morph(effect, IEffectMorphology::DILATE, 2, frame);
  Morph(CreateOne(IEffectMorphology::CLASS_ID), IEffectMorphology::CLOSE, 1, frame);
  cv::Mat expected(15, 15, CV_8UC1, cv::Scalar(0));
  expected(cv::Rect(5, 5, 5, 5)).setTo(90);
  EXPECT_TRUE(SameBytes(MatFromFrame(frame), expected));

  const Core::Property stats = effect->GetStatistic();
  EXPECT_EQ(Core::GetValue<long long>(stats["Count"]), 1);
  EXPECT_EQ(Core::GetValue<std::string>(stats[IEffectMorphology::OPERATION]), IEffectMorphology::DILATE);
}

TEST(KelvraMorphology, LaterSettingsKeepTheOperation) {
  cv::Mat square(9, 9, CV_8UC1, cv::Scalar(0));
  square(cv::Rect(2, 2, 5, 5)).setTo(255);
  OneInputEffectPtr effect = CreateOne(IEffectMorphology::CLASS_ID);
  DataVideoPtr frame = FrameFromMat(square, AV_PIX_FMT_GRAY8);
  Morph(effect, IEffectMorphology::ERODE, 0, frame);  // once by default
  EXPECT_EQ(cv::countNonZero(MatFromFrame(frame)), 9);
  frame = FrameFromMat(square, AV_PIX_FMT_GRAY8);
  Morph(effect, nullptr, 2, frame);  // still erode, now twice
  EXPECT_EQ(cv::countNonZero(MatFromFrame(frame)), 1);
  EXPECT_EQ(Core::GetValue<std::string>(effect->GetSettings()[IEffectMorphology::OPERATION]), IEffectMorphology::ERODE);
}

TEST(KelvraMorphology, UnknownNamesAreRefused) {
  OneInputEffectPtr effect = CreateOne(IEffectMorphology::CLASS_ID);
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_GRAY8, 4, 4);
  EXPECT_EQ(EffectError([&] { effect->Process(frame); }), "Effect was not initialized");
  EXPECT_EQ(EffectError([&] { effect->SetSettings(Settings(IEffectMorphology::CLASS_ID)); }),
            ": unknown morphology operation");
  Core::Property wrongCase = Settings(IEffectMorphology::CLASS_ID);
  std::string name = IEffectMorphology::DILATE;
  name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
  wrongCase.SetChildT(IEffectMorphology::OPERATION, name);
  EXPECT_EQ(EffectError([&] { effect->SetSettings(wrongCase); }), name + ": unknown morphology operation");
}

// Values that size memory or loops are refused when set, before any work.
TEST(KelvraLimits, ParametersThatSizeWorkAreBounded) {
  const auto refused = [](const char* classId, const char* key, long long value, const char* algorithm = nullptr) {
    Core::Property settings = Settings(classId);
    if (algorithm) settings.SetChildT(IEffectBlur::ALGORITHM, std::string(algorithm));
    settings.SetChildT(key, value);
    const std::string error = EffectError([&] {
      if (std::string(classId) == IEffectInpaint::CLASS_ID) {
        CreateTwo(classId)->SetSettings(settings);
      } else {
        CreateOne(classId)->SetSettings(settings);
      }
    });
    return error.find(std::to_string(value)) != std::string::npos;
  };
  EXPECT_TRUE(refused(IEffectBlur::CLASS_ID, IEffectBlur::KERNEL_LENGTH, 2147483647LL, IEffectBlur::GAUSSIAN));
  EXPECT_TRUE(refused(IEffectBlur::CLASS_ID, IEffectBlur::KERNEL_LENGTH, 0, IEffectBlur::MEDIAN));
  EXPECT_TRUE(refused(IEffectBlur::CLASS_ID, IEffectBlur::KERNEL_LENGTH, 101, IEffectBlur::BILATERAL));
  EXPECT_TRUE(refused(IEffectMorphology::CLASS_ID, IEffectMorphology::ITERATIONS, 1000000000LL));
  EXPECT_TRUE(refused(IEffectMorphology::CLASS_ID, IEffectMorphology::ITERATIONS, -1));
  EXPECT_TRUE(refused(IEffectInpaint::CLASS_ID, IEffectInpaint::PATCH_SIZE, 1LL << 40));
  EXPECT_FALSE(refused(IEffectBlur::CLASS_ID, IEffectBlur::KERNEL_LENGTH, 1023, IEffectBlur::GAUSSIAN));
}
