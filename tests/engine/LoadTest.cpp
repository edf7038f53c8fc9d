#include "EngineTestSupport.h"

#include "GlimraCore/GlimraCoreIO.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/IOHelper.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <map>

using namespace EngineTest;
using Zentor::Conf::FormatCodecVideoPtr;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Glimra::Helpers::IOHelper;
using Zentor::Glimra::IGlimraCore;
using Zentor::Proc::IImageMetadata;

namespace {

// A decoder answering a frame of the given size (0 x 0: none) and a description of its own.
struct FakeDecoder {
  FakeDecoder(uint32_t w, uint32_t h, const char* codecId) : width(w), height(h), id(codecId) {}
  DataVideoPtr operator()(FormatCodecVideoPtr& codec) {
    ++calls;
    FormatCodecVideoPtr description = IFormatCodecVideo::Create();
    Property settings = description->GetSettings();
    settings.SetChildT(Zentor::Conf::IFormatCodec::TAG_CODEC_ID, std::string(id));
    description->SetSettings(settings);
    codec = description;
    if (width == 0 && height == 0) return DataVideoPtr();
    return Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, width, height);
  }
  uint32_t width;
  uint32_t height;
  const char* id;
  int calls = 0;
};

// A decoder that fails inside: no frame, the description left alone.
Glimra::IO::Decoder Failing(int& calls) {
  return [&calls](FormatCodecVideoPtr&) {
    ++calls;
    return DataVideoPtr();
  };
}

struct Decoded {
  DataVideoPtr frame;
  std::string codecId;
};

Decoded Decode(FakeDecoder& stream, FakeDecoder& reader) {
  FormatCodecVideoPtr codec;
  Decoded result;
  result.frame = Glimra::IO::DecodeImage(std::ref(stream), std::ref(reader), codec, 256);
  result.codecId = codec ? codec->GetCodecId() : "";
  return result;
}

class FakeMetadata : public Zentor::RefCounted<IImageMetadata> {
 public:
  explicit FakeMetadata(std::map<std::string, std::string> tags) : tags_(std::move(tags)) {}
  Property GetTag(const std::string&, const std::string&, const std::string& tag) const override {
    auto it = tags_.find(tag);
    if (it == tags_.end()) return Property();
    Property entry(GetKey(FAMILY_EXIF, GROUP_IMAGE, tag));
    entry.SetChildT(TEXT_VALUE, it->second);
    return entry;
  }
  const Property& GetMetadata() const override { return tree_; }
  Zentor::BlobPtr GetThumbnail() const override { return nullptr; }
  void Write(const Property&, const Zentor::BlobPtr&) const override {}

 private:
  std::map<std::string, std::string> tags_;
  Property tree_{std::string(IMAGE_METADATA)};
};

Zentor::Proc::ImageMetadataPtr Tags(std::map<std::string, std::string> tags) {
  return Zentor::Proc::ImageMetadataPtr(new FakeMetadata(std::move(tags)));
}

Property FrameInfo() {
  Property tree(Glimra::IGlimraUndo::TAG_FRAME_INFO);
  tree.SetChild(Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS).SetChild(Glimra::Settings::FORMAT_SAVE_SETTINGS);
  return tree;
}

double Resolution(std::map<std::string, std::string> tags, const std::string& path = "/nonexistent.jpg",
                  const std::string& codecId = IFormatCodecVideo::CODEC_ID_MJPEG) {
  Property tree = FrameInfo();
  IOHelper::LoadPrepareResolution(tree, path, codecId, Tags(std::move(tags)));
  return Zentor::Core::GetValue<double>(
      tree[Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS][Glimra::Helpers::ResizeHelper::RESOLUTION]);
}

// A 3 x 2 RGB24 frame whose pixel (x, y) holds x + 10 y in every byte.
DataVideoPtr Numbered() {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, 3, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      uint8_t* p = frame->GetPicture().data[0] + y * frame->GetPicture().linesize[0] + x * 3;
      p[0] = p[1] = p[2] = uint8_t(x + 10 * y);
    }
  }
  return frame;
}

int At(const DataVideoPtr& frame, int x, int y) {
  return frame->GetPicture().data[0][y * frame->GetPicture().linesize[0] + x * 3];
}

}  // namespace

TEST(TwoDecoders, SmallPreviewLosesToLargerReaderPicture) {
  FakeDecoder stream(160, 120, "preview");
  FakeDecoder reader(4000, 3000, "full");
  Decoded d = Decode(stream, reader);
  EXPECT_EQ(4000u, d.frame->GetWidth());
  EXPECT_EQ("full", d.codecId);

  // Not wider but taller wins too.
  FakeDecoder tallStream(200, 100, "a");
  FakeDecoder tallReader(200, 180, "b");
  d = Decode(tallStream, tallReader);
  EXPECT_EQ(180u, d.frame->GetHeight());
  EXPECT_EQ("b", d.codecId);
}

TEST(TwoDecoders, EqualOrLargePicturesKeepTheCodecFramework) {
  FakeDecoder stream(200, 100, "stream");
  FakeDecoder reader(200, 100, "reader");
  Decoded d = Decode(stream, reader);
  EXPECT_EQ(1, reader.calls);
  // The reader replaced the description while it ran; the kept frame's description is back.
  EXPECT_EQ("stream", d.codecId);

  FakeDecoder tall(255, 300, "stream");
  FakeDecoder unused(4000, 3000, "reader");
  d = Decode(tall, unused);
  EXPECT_EQ(0, unused.calls);
  EXPECT_EQ(300u, d.frame->GetHeight());
  EXPECT_EQ("stream", d.codecId);
}

TEST(TwoDecoders, EmptyPicturesCountAsNone) {
  // A zero-sized answer of the codec framework sends the file to the reader.
  FakeDecoder empty(0, 5, "empty");
  FakeDecoder reader(640, 480, "reader");
  Decoded d = Decode(empty, reader);
  EXPECT_EQ(640u, d.frame->GetWidth());
  EXPECT_EQ("reader", d.codecId);

  // A failing codec framework and an empty reader answer: IOException without description.
  int calls = 0;
  FakeDecoder emptyReader(7, 0, "reader");
  FormatCodecVideoPtr codec;
  try {
    Glimra::IO::DecodeImage(Failing(calls), std::ref(emptyReader), codec, 256);
    FAIL() << "an empty picture was accepted";
  } catch (const Zentor::Glimra::IOException& e) {
    EXPECT_EQ("", Zentor::GetDescription(e));
  }
  EXPECT_EQ(1, calls);
  EXPECT_EQ(1, emptyReader.calls);

  // A small picture whose reader answer is empty keeps its own.
  FakeDecoder small(100, 50, "stream");
  FakeDecoder none(0, 0, "none");
  d = Decode(small, none);
  EXPECT_EQ(100u, d.frame->GetWidth());
  EXPECT_EQ("stream", d.codecId);
}

TEST(LoadPrepare, OrientationCodes) {
  int code = 0;
  EXPECT_TRUE(IOHelper::ParseCode("+3", code));
  EXPECT_EQ(3, code);
  EXPECT_TRUE(IOHelper::ParseCode("-6", code));
  EXPECT_EQ(-6, code);
  for (const char* bad : {"", " 6", "6 ", "six", "+", "4294967302", "3.0"}) {
    EXPECT_FALSE(IOHelper::ParseCode(bad, code)) << bad;
  }

  // Unusable orientations leave frame and tree alone.
  for (const char* text : {"1", "9", "-6", " 6", "word"}) {
    Property tree = FrameInfo();
    DataVideoPtr frame = Numbered();
    const DataVideoPtr before = frame;
    IOHelper::LoadPrepareOrientation(tree, frame, Tags({{IImageMetadata::TAG_ORIENTATION, text}}));
    EXPECT_EQ(before, frame) << text;
    EXPECT_FALSE(tree.ChildExists(IImageMetadata::REPLACE_SETTINGS)) << text;
  }

  // "+3" turns by 180 degrees and notes the normal orientation.
  Property tree = FrameInfo();
  DataVideoPtr frame = Numbered();
  IOHelper::LoadPrepareOrientation(tree, frame, Tags({{IImageMetadata::TAG_ORIENTATION, "+3"}}));
  EXPECT_EQ(0 + 10 * 1 + 2, At(frame, 0, 0));
  EXPECT_EQ(0, At(frame, 2, 1));
  const std::string key =
      IImageMetadata::GetKey(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE, IImageMetadata::TAG_ORIENTATION);
  EXPECT_EQ(IImageMetadata::VAL_ORIENTATION_NORMAL,
            Zentor::Core::GetValue<std::string>(tree[IImageMetadata::REPLACE_SETTINGS][key]));
}

TEST(LoadPrepare, ResolutionCases) {
  using T = std::map<std::string, std::string>;
  EXPECT_DOUBLE_EQ(300.0, Resolution(T{{IImageMetadata::TAG_XRESOLUTION, "300/1"}, {IImageMetadata::TAG_RESOLUTION_UOM, "2"}}));
  EXPECT_DOUBLE_EQ(762.0, Resolution(T{{IImageMetadata::TAG_XRESOLUTION, "300/1"}, {IImageMetadata::TAG_RESOLUTION_UOM, "3"}}));
  EXPECT_DOUBLE_EQ(762.0, Resolution(T{{IImageMetadata::TAG_XRESOLUTION, "300/1"}, {IImageMetadata::TAG_RESOLUTION_UOM, "+3"}}));
  EXPECT_DOUBLE_EQ(200.0, Resolution(T{{IImageMetadata::TAG_YRESOLUTION, "200/1"}}));
  EXPECT_DOUBLE_EQ(72.0, Resolution(T{{IImageMetadata::TAG_XRESOLUTION, "1/72"}}));
  EXPECT_DOUBLE_EQ(300.0, Resolution(T{{IImageMetadata::TAG_XRESOLUTION, "+300"}}));
  EXPECT_DOUBLE_EQ(72.0, Resolution(T{}));
  // Unusable values never escape as an error and never give a resolution of 0 or below.
  for (const char* bad : {"0/1", "1/0", "abc", "-300/1", "0", ""}) {
    EXPECT_DOUBLE_EQ(72.0, Resolution(T{{IImageMetadata::TAG_XRESOLUTION, bad}})) << bad;
  }
}

TEST(LoadPrepare, TiffCompression) {
  auto compression = [](const char* text) {
    Property tree = FrameInfo();
    IOHelper::LoadPrepareCompression(tree, Tags({{IImageMetadata::TAG_COMPRESSION, text}}));
    const Property& options =
        tree[Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS][Glimra::Settings::FORMAT_SAVE_SETTINGS];
    return options.ChildExists(IImageMetadata::TAG_COMPRESSION)
               ? Zentor::Core::GetValue<std::string>(options[IImageMetadata::TAG_COMPRESSION])
               : std::string("-");
  };
  EXPECT_EQ("lzw", compression("5"));
  EXPECT_EQ("packbits", compression("32773"));
  EXPECT_EQ("-", compression("7"));
  EXPECT_EQ("-", compression("8"));
  EXPECT_EQ("-", compression("lzw"));
  EXPECT_EQ(11u, IOHelper::s_exif2FFCompressionMapping.size());
}

// The upright picture U as a camera stores it for each orientation: U(x, y) = S(f(x, y)).
cv::Mat Stored(const cv::Mat& upright, int orientation) {
  const int w = upright.cols;
  const int h = upright.rows;
  const bool swap = orientation >= 5;
  cv::Mat stored(swap ? w : h, swap ? h : w, CV_8UC3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int sx = x;
      int sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;
        case 4: sy = h - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = w - 1 - x; break;
        case 7: sx = h - 1 - y; sy = w - 1 - x; break;
        case 8: sx = h - 1 - y; sy = x; break;
      }
      stored.at<cv::Vec3b>(sy, sx) = upright.at<cv::Vec3b>(y, x);
    }
  }
  return stored;
}

TEST(ImageLoading, ExifOrientationsLandUpright) {
  TempFolder folder;
  StatisticsHandler statistics;
  const cv::Mat upright = BlockPicture(4, 2);  // 64 x 32
  for (int orientation = 2; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    const std::string path = folder.File("o" + std::to_string(orientation) + ".jpg");
    WriteImage(path, Stored(upright, orientation), 2);
    WriteExif(path, {{"Exif.Image.Orientation", std::to_string(orientation)}});

    boost::intrusive_ptr<IGlimraCore> engine =
        IGlimraCore::Create(MakeInit(folder, path, &statistics, "s" + std::to_string(orientation)));
    DataVideoPtr video = engine->GetVideo();
    ASSERT_TRUE(video);
    ASSERT_EQ(64u, video->GetWidth());
    ASSERT_EQ(32u, video->GetHeight());
    // ARGB: bytes A, R, G, B; block centres keep their colour.
    for (int by = 0; by < 2; ++by) {
      for (int bx = 0; bx < 4; ++bx) {
        const uint8_t* p = video->GetPicture().data[0] + (by * 16 + 8) * video->GetPicture().linesize[0] + (bx * 16 + 8) * 4;
        const cv::Scalar bgr = BlockColour(bx, by);
        EXPECT_NEAR(bgr[2], p[1], 40) << bx << "," << by;
        EXPECT_NEAR(bgr[1], p[2], 40) << bx << "," << by;
        EXPECT_NEAR(bgr[0], p[3], 40) << bx << "," << by;
      }
    }
    EXPECT_TRUE(engine->GetSettings().ChildExists(IImageMetadata::REPLACE_SETTINGS));
  }
}

TEST(ImageLoading, ResolutionFromTheFile) {
  TempFolder folder;
  StatisticsHandler statistics;
  using Values = std::vector<std::pair<std::string, std::string>>;
  const std::pair<Values, double> cases[] = {
      {{{"Exif.Image.XResolution", "300/1"}, {"Exif.Image.ResolutionUnit", "2"}}, 300.0},
      {{{"Exif.Image.XResolution", "300/1"}, {"Exif.Image.ResolutionUnit", "3"}}, 762.0},
      {{}, 72.0},
      {{{"Exif.Image.XResolution", "1/72"}}, 72.0},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string path = folder.File("r" + std::to_string(++n) + ".jpg");
    WriteImage(path, BlockPicture(2, 2));
    if (!c.first.empty()) WriteExif(path, c.first);
    boost::intrusive_ptr<IGlimraCore> engine =
        IGlimraCore::Create(MakeInit(folder, path, &statistics, "r" + std::to_string(n)));
    const Property& info = engine->GetSettings();
    EXPECT_DOUBLE_EQ(c.second, Zentor::Core::GetValue<double>(
                                   info[Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS]["RESOLUTION"]))
        << n;
    EXPECT_FALSE(info.ChildExists(IImageMetadata::REPLACE_SETTINGS));
  }
}
