// The image read/write effect (round trips through every format it is used for) and the colour
// segmentation helper.
#include "KelvraTestSupport.h"

#include "Platform/Formats/IFormatCodec.h"
#include "Platform/Pipeline/Blob.h"
#include "Proc/Effects/Kelvra/Utils.h"
#include "Proc/Interfaces/IEffectVideoIO.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <boost/filesystem.hpp>

#include <fstream>

using namespace KelvraTest;
using Zentor::Proc::OpenCV::Utils;

namespace {

boost::intrusive_ptr<IEffectVideoIO> VideoIOEffect() {
  boost::intrusive_ptr<IEffectVideoIO> effect(dynamic_cast<IEffectVideoIO*>(CreateOne(IEffectVideoIO::CLASS_ID).get()));
  EXPECT_TRUE(effect);
  return effect;
}

Core::Property IOSettings(const char* operation) {
  Core::Property settings = Settings(IEffectVideoIO::CLASS_ID);
  if (operation) settings.SetChildT(IEffectVideoIO::OPERATION, std::string(operation));
  return settings;
}

BlobPtr Encode(const DataVideoPtr& frame, const std::string& extension, const std::string& path = std::string()) {
  auto effect = VideoIOEffect();
  Core::Property settings = IOSettings(IEffectVideoIO::WRITE);
  if (!extension.empty()) settings.SetChildT(Conf::IFormatFile::TAG_FILE_EXTENSION, extension);
  if (!path.empty()) settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
  effect->SetSettings(settings);
  DataVideoPtr inOut = frame;
  effect->Process(inOut);
  EXPECT_EQ(inOut.get(), frame.get());  // writing yields no frame
  BlobPtr bytes;
  effect->SwapData(bytes);
  return bytes;
}

DataVideoPtr DecodeBytes(BlobPtr bytes) {
  auto effect = VideoIOEffect();
  effect->SetSettings(IOSettings(IEffectVideoIO::READ));
  effect->SwapData(bytes);
  DataVideoPtr frame;
  effect->Process(frame);
  return frame;
}

DataVideoPtr DecodeFile(const std::string& path, boost::intrusive_ptr<IEffectVideoIO> effect = nullptr) {
  if (!effect) effect = VideoIOEffect();
  Core::Property settings = IOSettings(IEffectVideoIO::READ);
  settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
  effect->SetSettings(settings);
  DataVideoPtr frame;
  effect->Process(frame);
  return frame;
}

std::string TempPath(const std::string& name) {
  const boost::filesystem::path folder = boost::filesystem::temp_directory_path() / "kelvra-test";
  boost::filesystem::create_directories(folder);
  return (folder / (boost::filesystem::unique_path().string() + name)).string();
}

cv::Mat Texture(int width, int height, int type) {
  cv::Mat picture(height, width, type);
  cv::randu(picture, 0, 256);
  cv::GaussianBlur(picture, picture, cv::Size(5, 5), 0);
  return picture;
}

}  // namespace

TEST(KelvraVideoIO, RoundTrips) {
  const cv::Mat colour = Texture(71, 53, CV_8UC3);
  const cv::Mat grey = Texture(71, 53, CV_8UC1);
  const struct {
    const char* extension;
    bool grey;
    bool lossless;
  } cases[] = {{"png", false, true},  {".png", true, true},  {".bmp", false, true}, {".tiff", false, true},
               {"tif", true, true},   {".pgm", true, true},  {".ppm", false, true}, {".jp2", false, false},
               {".jpeg", false, false}};
  for (const auto& c : cases) {
    const cv::Mat& picture = c.grey ? grey : colour;
    DataVideoPtr frame = FrameFromMat(picture, c.grey ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_BGR24);
    BlobPtr bytes = Encode(frame, c.extension);
    ASSERT_TRUE(bytes && bytes->Size() > 0) << c.extension;
    DataVideoPtr back = DecodeBytes(bytes);
    ASSERT_TRUE(back) << c.extension;
    EXPECT_EQ(back->GetPixelFormat(), c.grey ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_BGR24) << c.extension;
    EXPECT_EQ(back->GetAspectX(), 1u);
    EXPECT_EQ(back->GetAspectY(), 1u);
    if (c.lossless) {
      EXPECT_TRUE(SameBytes(MatFromFrame(back), picture)) << c.extension;
    } else {
      EXPECT_LT(cv::norm(MatFromFrame(back), picture, cv::NORM_L1) / picture.total() / 3, 10.0) << c.extension;
    }
  }
}

TEST(KelvraVideoIO, JpegIsTheDefaultAndRoundTripsClosely) {
  const cv::Mat picture = Texture(64, 48, CV_8UC3);
  BlobPtr bytes = Encode(FrameFromMat(picture, AV_PIX_FMT_BGR24), "");
  ASSERT_GE(bytes->Size(), 3u);
  EXPECT_EQ(bytes->Data()[0], 0xFF);
  EXPECT_EQ(bytes->Data()[1], 0xD8);
  DataVideoPtr back = DecodeBytes(bytes);
  ASSERT_TRUE(back);
  EXPECT_LT(cv::norm(MatFromFrame(back), picture, cv::NORM_L1) / picture.total() / 3, 10.0);

  BlobPtr png = Encode(FrameFromMat(picture, AV_PIX_FMT_BGR24), "png");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(png->Data()) + 1, 3), "PNG");
}

TEST(KelvraVideoIO, ChannelLayoutsOnWrite) {
  cv::Mat bgra = Texture(20, 10, CV_8UC4);
  // RGB24 is converted before encoding: the colours come back right.
  cv::Mat rgb;
  cv::cvtColor(bgra, rgb, cv::COLOR_BGRA2RGB);
  DataVideoPtr back = DecodeBytes(Encode(FrameFromMat(rgb, AV_PIX_FMT_RGB24), "png"));
  ASSERT_TRUE(back);
  cv::Mat bgr;
  cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
  EXPECT_EQ(back->GetPixelFormat(), AV_PIX_FMT_BGR24);
  EXPECT_TRUE(SameBytes(MatFromFrame(back), bgr));

  // BGRA keeps its alpha; the fourth byte of BGR0 is padding and is not written.
  back = DecodeBytes(Encode(FrameFromMat(bgra, AV_PIX_FMT_BGRA), "png"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetPixelFormat(), AV_PIX_FMT_BGRA);
  EXPECT_TRUE(SameBytes(MatFromFrame(back), bgra));
  cv::Mat padded = bgra.clone();
  cv::Mat zero(padded.size(), CV_8UC1, cv::Scalar(0));
  cv::insertChannel(zero, padded, 3);
  back = DecodeBytes(Encode(FrameFromMat(padded, AV_PIX_FMT_BGR0), "png"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetPixelFormat(), AV_PIX_FMT_BGR24);
  EXPECT_TRUE(SameBytes(MatFromFrame(back), bgr));

  // PxM formats get the channel count they need.
  back = DecodeBytes(Encode(FrameFromMat(bgra, AV_PIX_FMT_BGRA), "ppm"));
  ASSERT_TRUE(back);
  EXPECT_TRUE(SameBytes(MatFromFrame(back), bgr));
  back = DecodeBytes(Encode(FrameFromMat(bgr, AV_PIX_FMT_BGR24), "pgm"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->GetPixelFormat(), AV_PIX_FMT_GRAY8);
}

TEST(KelvraVideoIO, FilesAreWrittenAndRead) {
  const cv::Mat picture = Texture(640, 480, CV_8UC3);
  const std::string path = TempPath(".png");
  BlobPtr bytes = Encode(FrameFromMat(picture, AV_PIX_FMT_BGR24), ".png", path);
  ASSERT_TRUE(boost::filesystem::exists(path));
  EXPECT_EQ(boost::filesystem::file_size(path), bytes->Size());

  auto reader = VideoIOEffect();
  DataVideoPtr frame = DecodeFile(path, reader);
  ASSERT_TRUE(frame);
  EXPECT_TRUE(SameBytes(MatFromFrame(frame), picture));

  Conf::FormatCodecVideoPtr codec = Conf::IFormatCodecVideo::Create();
  reader->UpdateFormatCodec(*codec);
  const Core::Property codecSettings = codec->GetSettings();
  EXPECT_EQ(codec->GetCodecId(), Conf::IFormatCodec::CODEC_ID_NONE);
  EXPECT_EQ(Core::GetValue<long long>(codecSettings[Conf::IFormatCodecVideo::TAG_WIDTH]), 640);
  EXPECT_EQ(Core::GetValue<long long>(codecSettings[Conf::IFormatCodecVideo::TAG_HEIGHT]), 480);
  EXPECT_EQ(Core::GetValue<long long>(codecSettings[Conf::IFormatCodecVideo::TAG_ASPECTX]), 1);
  EXPECT_EQ(Core::GetValue<long long>(codecSettings[Conf::IFormatCodecVideo::TAG_ASPECTY]), 1);

  // The settings come back exactly as given, file name included.
  Core::Property given = IOSettings(IEffectVideoIO::READ);
  given.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
  given.SetChildT("extra", 5);
  reader->SetSettings(given);
  EXPECT_EQ(reader->GetSettings(), given);
  boost::filesystem::remove(path);
}

TEST(KelvraVideoIO, DeepAndAlphaPicturesAreRead) {
  cv::Mat deep(30, 40, CV_16UC3);
  cv::randu(deep, 0, 65536);
  const std::string path = TempPath(".png");
  ASSERT_TRUE(cv::imwrite(path, deep));
  DataVideoPtr frame = DecodeFile(path);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->GetPixelFormat(), AV_PIX_FMT_BGR24);
  cv::Mat expected;
  deep.convertTo(expected, CV_8U, 1.0 / 257);
  EXPECT_TRUE(SameBytes(MatFromFrame(frame), expected));

  const cv::Mat alpha = Texture(12, 9, CV_8UC4);
  ASSERT_TRUE(cv::imwrite(path, alpha));
  frame = DecodeFile(path);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->GetPixelFormat(), AV_PIX_FMT_BGRA);
  EXPECT_EQ(frame->GetWidth(), 12u);
  EXPECT_EQ(frame->GetHeight(), 9u);
  EXPECT_TRUE(SameBytes(MatFromFrame(frame), alpha));
  boost::filesystem::remove(path);
}

TEST(KelvraVideoIO, FailedDecodesYieldNoFrame) {
  EXPECT_FALSE(DecodeFile(TempPath(".png")));  // no such file
  const std::string junk = "this is not a picture";
  BlobPtr bytes = Blob::Create(junk.size());
  std::memcpy(bytes->Data(), junk.data(), junk.size());
  EXPECT_FALSE(DecodeBytes(bytes));
  EXPECT_FALSE(DecodeBytes(nullptr));  // nothing handed in

  // A JPEG cut short gives no frame, from bytes or from a file; the whole one decodes.
  std::vector<uchar> jpeg;
  ASSERT_TRUE(cv::imencode(".jpg", Texture(256, 192, CV_8UC3), jpeg));
  EXPECT_TRUE(Utils::Decode(jpeg.data(), jpeg.size()));
  EXPECT_FALSE(Utils::Decode(jpeg.data(), jpeg.size() * 2 / 3));
  const std::string cut = TempPath(".jpg");
  {
    std::ofstream file(cut, std::ios::binary);
    file.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size() * 2 / 3));
  }
  EXPECT_FALSE(DecodeFile(cut));
  boost::filesystem::remove(cut);

  // A picture OpenCV reads but wider than any frame: no frame, and no other exception.
  std::vector<uchar> wide;
  ASSERT_TRUE(cv::imencode(".png", cv::Mat::zeros(1, static_cast<int>(DataVideoFF::MAX_DIMENSION) + 1, CV_8UC1), wide));
  bytes = Blob::Create(wide.size());
  std::memcpy(bytes->Data(), wide.data(), wide.size());
  EXPECT_FALSE(DecodeBytes(bytes));
  EXPECT_FALSE(Utils::Decode(wide.data(), wide.size()));
}

TEST(KelvraVideoIO, SettingsRefusals) {
  auto effect = VideoIOEffect();
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 4, 4);
  EXPECT_EQ(EffectError([&] { effect->Process(frame); }), "Effect was not initialized yet");
  EXPECT_EQ(EffectError([&] { effect->SetSettings(IOSettings(nullptr)); }), "Operation required");
  EXPECT_EQ(EffectError([&] { effect->SetSettings(IOSettings("Copy")); }), "Unknown operation: Copy");
  // A refused tree also drops the strategy of the last good one.
  effect->SetSettings(IOSettings(IEffectVideoIO::WRITE));
  EXPECT_EQ(EffectError([&] { effect->SetSettings(IOSettings("Copy")); }), "Unknown operation: Copy");
  EXPECT_TRUE(Core::IsEmptyProperty(effect->GetSettings()));
  EXPECT_EQ(EffectError([&] { effect->Process(frame); }), "Effect was not initialized yet");

  // An extension without an encoder is refused, not answered with empty bytes.
  Core::Property unknown = IOSettings(IEffectVideoIO::WRITE);
  unknown.SetChildT(Conf::IFormatFile::TAG_FILE_EXTENSION, std::string("nosuchformat"));
  effect->SetSettings(unknown);
  const std::string error = EffectError([&] { effect->Process(frame); });
  EXPECT_FALSE(error.empty() || error[0] == '<') << error;
}

TEST(KelvraColorSegmentation, TwoGroupsStopAtThreeClusters) {
  cv::RNG rng(99);
  std::vector<uint32_t> colours;
  for (int i = 0; i < 200; ++i) {
    const int base = i % 2 ? 40 : 210;
    auto c = [&] { return static_cast<uint32_t>(base + static_cast<int>(rng.gaussian(6.0))); };
    colours.push_back((c() << 16) | (c() << 8) | c());
  }
  std::vector<uint32_t> labels{7}, centres;
  Utils::KMeansColorSegmentation(colours, labels, centres);
  EXPECT_EQ(labels.size(), colours.size() + 1);
  EXPECT_EQ(labels[0], 7u);
  EXPECT_EQ(centres.size(), 3u);
  for (size_t i = 1; i < labels.size(); ++i) EXPECT_LT(labels[i], 3u);
}

TEST(KelvraColorSegmentation, FewColoursStopEarly) {
  // One colour: error 0 at K = 1. Two colours: error 0 at K = 2, never more clusters than colours.
  std::vector<uint32_t> labels, centres;
  Utils::KMeansColorSegmentation(std::vector<uint32_t>(5, 0x102030), labels, centres);
  EXPECT_EQ(labels.size(), 5u);
  ASSERT_EQ(centres.size(), 1u);
  EXPECT_EQ(centres[0], 0x102030u);
  labels.clear();
  centres.clear();
  Utils::KMeansColorSegmentation({0x000000, 0xFFFFFF, 0x000000}, labels, centres);
  EXPECT_EQ(centres.size(), 2u);
  EXPECT_EQ(labels[0], labels[2]);
  EXPECT_NE(labels[0], labels[1]);
  labels.clear();
  centres.clear();
  Utils::KMeansColorSegmentation({}, labels, centres);
  EXPECT_TRUE(labels.empty());
  EXPECT_TRUE(centres.empty());
}
