#include "SaveTestSupport.h"

using namespace SaveTest;

namespace {

std::string OrientationOf(const std::string& path) {
  const Property tag =
      Zentor::Proc::ImageMetadata::Create(path, nullptr)
          ->GetTag(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE, IImageMetadata::TAG_ORIENTATION);
  if (Zentor::Core::IsEmptyProperty(tag)) return "";
  return Zentor::Core::PropertyValueToString(tag[IImageMetadata::TEXT_VALUE]);
}

uint32_t ReadLe32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | uint8_t(bytes.at(offset + size_t(i)));
  return value;
}

// The thumbnail of a written file, decoded; null when it has none.
DataVideoPtr ThumbnailOf(const TempFolder& folder, const std::string& path) {
  const BlobPtr bytes = Zentor::Proc::ImageMetadata::Create(path, nullptr)->GetThumbnail();
  if (!bytes) return DataVideoPtr();
  const std::string file = folder.File("thumbnail.jpg");
  Zentor::Core::WriteWholeFileAtomic(file, bytes->Data(), bytes->Size());
  return Decode(file);
}

Property FrameInfo() { return Property(Glimra::IGlimraUndo::TAG_FRAME_INFO); }

class Saving : public ::testing::Test {
 protected:
  // A PNG of one colour, opened in a new engine.
  std::string RedPng(uint32_t width = 24, uint32_t height = 16) {
    const std::string path = folder.File("red.png");
    WriteImage(path, Filled(AV_PIX_FMT_RGB24, width, height, {255, 0, 0}), IFormatCodecVideo::CODEC_ID_PNG);
    return path;
  }
  TempFolder folder;
};

TEST(ThumbnailSize, LongerSideBecomes160) {
  struct Case {
    uint32_t w, h, tw, th;
  };
  const Case cases[] = {{4000, 3000, 160, 120}, {3000, 4000, 120, 160}, {100, 50, 160, 80},
                        {333, 100, 160, 48},    {1001, 999, 160, 158},  {160, 160, 160, 160},
                        {1000, 3, 160, 2},      {1, 1, 160, 160},       {262144, 1, 160, 2}};
  for (const Case& c : cases) {
    uint32_t tw = 0;
    uint32_t th = 0;
    IOHelperSave::ThumbnailSize(c.w, c.h, 160, tw, th);
    EXPECT_EQ(tw, c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(th, c.th) << c.w << "x" << c.h;
  }
}

TEST_F(Saving, RedPictureDecodesBackRedInEveryFormat) {
  Engine engine(folder, RedPng());
  struct Format {
    const char* codec;
    const char* extension;
    int tolerance;
  };
  const Format formats[] = {
      {IFormatCodecVideo::CODEC_ID_PNG, "png", 0},   {IFormatCodecVideo::CODEC_ID_MJPEG, "jpg", 8},
      {IFormatCodecVideo::CODEC_ID_BMP, "bmp", 0},   {IFormatCodecVideo::CODEC_ID_TIFF, "tif", 0},
      {IFormatCodecVideo::CODEC_ID_TARGA, "tga", 0}, {IFormatCodecVideo::CODEC_ID_PCX, "pcx", 0},
      {IFormatCodecVideo::CODEC_ID_DPX, "dpx", 0},   {IFormatCodecVideo::CODEC_ID_PPM, "ppm", 0}};
  for (const Format& format : formats) {
    SCOPED_TRACE(format.extension);
    const std::string path = folder.File(std::string("out.") + format.extension);
    engine->Save(SaveSettings(path, format.codec, format.extension));
    ASSERT_TRUE(engine.core.errors.empty());
    const DataVideoPtr decoded = Decode(path);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->GetWidth(), 24u);
    ASSERT_EQ(decoded->GetHeight(), 16u);
    for (uint32_t y = 0; y < 16; y += 5) {
      for (uint32_t x = 0; x < 24; x += 7) {
        const uint8_t* p = Pixel(*decoded, x, y, 3);
        EXPECT_GE(p[0], 255 - format.tolerance);
        EXPECT_LE(p[1], format.tolerance);
        EXPECT_LE(p[2], format.tolerance);
      }
    }
  }
}

TEST_F(Saving, PaddingByteOfBgr0NeverBecomesAlpha) {
  Engine engine(folder, RedPng());
  // Blue with a padding byte of 0: read as alpha it would make the picture invisible.
  SetPicture(engine, FrameInfo(), Filled(AV_PIX_FMT_BGR0, 12, 10, {255, 0, 0, 0}));
  struct Target {
    const char* codec;
    const char* extension;
  };
  for (const Target& target :
       {Target{IFormatCodecVideo::CODEC_ID_PNG, "png"}, Target{IFormatCodecVideo::CODEC_ID_TIFF, "tif"},
        Target{IFormatCodecVideo::CODEC_ID_TARGA, "tga"}, Target{"nosuchcodec", "png"}}) {
    SCOPED_TRACE(target.codec);
    const std::string path = folder.File(std::string("opaque.") + target.extension);
    engine->Save(SaveSettings(path, target.codec, target.extension));
    ASSERT_TRUE(engine.core.errors.empty());
    const DataVideoPtr decoded = Decode(path, AV_PIX_FMT_BGRA);
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->GetPixelFormat(), AV_PIX_FMT_BGRA);
    const uint8_t* p = Pixel(*decoded, 5, 5, 4);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 255);
  }
}

TEST_F(Saving, TurnedPictureIsWrittenWithNormalOrientation) {
  // Left half red, right half blue; EXIF says "turn 90 degrees clockwise to view".
  DataVideoPtr picture = Filled(AV_PIX_FMT_RGB24, 40, 20, {255, 0, 0});
  for (uint32_t y = 0; y < 20; ++y) {
    for (uint32_t x = 20; x < 40; ++x) {
      uint8_t* p = const_cast<uint8_t*>(Pixel(*picture, x, y, 3));
      p[0] = 0;
      p[2] = 255;
    }
  }
  const std::string source = folder.File("turned.jpg");
  WriteImage(source, picture, IFormatCodecVideo::CODEC_ID_MJPEG);
  {
    Property settings(IImageMetadata::SAVE_SETTINGS);
    settings.SetChildT(IFormatFile::TAG_FILENAME, source);
    settings.SetChild(IImageMetadata::REPLACE_SETTINGS)
        .SetChildT(IImageMetadata::GetKey(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE,
                                          IImageMetadata::TAG_ORIENTATION),
                   std::string("6"));
    Zentor::Proc::ImageMetadata::Create(source, nullptr)->Write(settings, nullptr);
  }
  ASSERT_EQ(OrientationOf(source), "6");

  Engine engine(folder, source);
  const std::string target = folder.File("upright.jpg");
  engine->Save(SaveSettings(target, IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"));
  ASSERT_TRUE(engine.core.errors.empty());
  EXPECT_EQ(OrientationOf(target), IImageMetadata::VAL_ORIENTATION_NORMAL);
  const DataVideoPtr decoded = Decode(target);
  ASSERT_EQ(decoded->GetWidth(), 20u);
  ASSERT_EQ(decoded->GetHeight(), 40u);
  // Turned clockwise: the left (red) half is now on top.
  EXPECT_GT(Pixel(*decoded, 10, 5, 3)[0], 200);
  EXPECT_GT(Pixel(*decoded, 10, 35, 3)[2], 200);
}

TEST_F(Saving, BmpCarriesThePrintResolution) {
  Engine engine(folder, RedPng());
  Property info = FrameInfo();
  info.SetChild(Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS)
      .SetChildT(Glimra::Helpers::ResizeHelper::RESOLUTION, 300.0);
  SetPicture(engine, info, Filled(AV_PIX_FMT_RGB24, 10, 6, {1, 2, 3}));
  const std::string path = folder.File("print.bmp");
  engine->Save(SaveSettings(path, IFormatCodecVideo::CODEC_ID_BMP, "bmp"));
  ASSERT_TRUE(engine.core.errors.empty());
  const std::string bytes = ReadFile(path);
  EXPECT_EQ(ReadLe32(bytes, 38), 11811u);
  EXPECT_EQ(ReadLe32(bytes, 42), 11811u);
}

TEST_F(Saving, ThumbnailFollowsThePictureOrTheSettings) {
  Engine engine(folder, RedPng(333, 100));
  const std::string path = folder.File("thumb.jpg");
  engine->Save(SaveSettings(path, IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"));
  ASSERT_TRUE(engine.core.errors.empty());
  const DataVideoPtr thumbnail = ThumbnailOf(folder, path);
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(thumbnail->GetWidth(), 160u);
  EXPECT_EQ(thumbnail->GetHeight(), 48u);
  EXPECT_GT(Pixel(*thumbnail, 80, 24, 3)[0], 200);

  // A file opened with a thumbnail keeps it when the settings say not to update it.
  Engine reopened(folder, path);
  const BlobPtr old = reopened->Metadata()->GetThumbnail();
  ASSERT_TRUE(old);
  SetPicture(reopened, FrameInfo(), Filled(AV_PIX_FMT_RGB24, 50, 50, {0, 255, 0}));
  Property keep = SaveSettings(folder.File("kept.jpg"), IFormatCodecVideo::CODEC_ID_MJPEG, "jpg");
  keep.SetChildT(IImageMetadata::UPDATE_THUMBNAIL, false);
  const BlobPtr kept = reopened->PrepareThumbnail(keep);
  ASSERT_TRUE(kept);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(kept->Data()), kept->Size()),
            std::string(reinterpret_cast<const char*>(old->Data()), old->Size()));
  reopened->Save(keep);
  ASSERT_TRUE(reopened.core.errors.empty());
  const DataVideoPtr keptDecoded = ThumbnailOf(folder, folder.File("kept.jpg"));
  ASSERT_TRUE(keptDecoded);
  EXPECT_EQ(keptDecoded->GetHeight(), 48u);

  Property none = SaveSettings(folder.File("none.jpg"), IFormatCodecVideo::CODEC_ID_MJPEG, "jpg");
  none.SetChildT(IImageMetadata::SAVE_THUMBNAIL, false);
  EXPECT_FALSE(reopened->PrepareThumbnail(none));
  reopened->Save(none);
  ASSERT_TRUE(reopened.core.errors.empty());
  EXPECT_FALSE(ThumbnailOf(folder, folder.File("none.jpg")));
}

TEST_F(Saving, SliverPictureStillSaves) {
  Engine engine(folder, RedPng(1000, 3));
  const std::string path = folder.File("sliver.jpg");
  engine->Save(SaveSettings(path, IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"));
  ASSERT_TRUE(engine.core.errors.empty());
  const DataVideoPtr thumbnail = ThumbnailOf(folder, path);
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(thumbnail->GetWidth(), 160u);
  EXPECT_EQ(thumbnail->GetHeight(), 2u);
}

TEST_F(Saving, EachSaveCountsAndMarksThePictureSaved) {
  Engine engine(folder, RedPng());
  SetPicture(engine, FrameInfo(), Filled(AV_PIX_FMT_RGB24, 8, 8, {1, 2, 3}));
  ASSERT_FALSE(engine->GetUndoStore()->IsSaved());
  const uint64_t before = engine->EffectCount();
  for (int i = 0; i < 2; ++i) {
    engine.drawer.changes.clear();
    engine->Save(SaveSettings(folder.File("counted.png"), IFormatCodecVideo::CODEC_ID_PNG, "png"));
    ASSERT_TRUE(engine.core.errors.empty());
    EXPECT_TRUE(engine->GetUndoStore()->IsSaved());
    EXPECT_EQ(engine.drawer.changes, std::vector<bool>{false});
  }
  EXPECT_EQ(engine->EffectCount(), before + 2);
  EXPECT_EQ(Zentor::Core::GetValue<long long>(engine->GetStatistic()["Count"]), static_cast<long long>(before + 2));
}

// Metadata writer that scribbles over the file it is given, then fails.
class FailingMetadata : public Zentor::RefCounted<IImageMetadata> {
 public:
  explicit FailingMetadata(Zentor::Proc::ImageMetadataPtr real) : real_(std::move(real)) {}
  Property GetTag(const std::string& f, const std::string& g, const std::string& t) const override {
    return real_->GetTag(f, g, t);
  }
  const Property& GetMetadata() const override { return real_->GetMetadata(); }
  BlobPtr GetThumbnail() const override { return real_->GetThumbnail(); }
  void Write(const Property& settings, const BlobPtr&) const override {
    written = Zentor::Core::GetValue<std::string>(settings[IFormatFile::TAG_FILENAME]);
    WriteFile(written, "half a file");
    ZENTOR_THROW_DESC(Zentor::Core::FileException, "No space left on device");
  }
  mutable std::string written;

 private:
  Zentor::Proc::ImageMetadataPtr real_;
};

TEST_F(Saving, FailureWhileWritingLeavesTheUsersFileAlone) {
  const std::string path = RedPng();
  Engine engine(folder, path);
  SetPicture(engine, FrameInfo(), Filled(AV_PIX_FMT_RGB24, 8, 8, {0, 0, 255}));
  const std::string before = ReadFile(path);
  const std::vector<std::string> names = folder.Names();
  const uint64_t count = engine->EffectCount();
  boost::intrusive_ptr<FailingMetadata> failing(new FailingMetadata(engine->Metadata()));
  engine->Metadata() = failing;

  engine->Save(SaveSettings(path, IFormatCodecVideo::CODEC_ID_PNG, "png"));
  ASSERT_EQ(engine.core.errors.size(), 1u);
  EXPECT_THROW(engine.core.Rethrow(0), Zentor::Core::FileException);
  // The writer worked on a file beside the target, which is gone again.
  EXPECT_NE(failing->written, path);
  EXPECT_EQ(boost::filesystem::path(failing->written).parent_path(), boost::filesystem::path(path).parent_path());
  EXPECT_FALSE(boost::filesystem::exists(failing->written));
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(folder.Names(), names);
  EXPECT_FALSE(engine->GetUndoStore()->IsSaved());
  EXPECT_EQ(engine->EffectCount(), count);
}

TEST_F(Saving, UnwritableTargetReportsAndMarksNothing) {
  Engine engine(folder, RedPng());
  SetPicture(engine, FrameInfo(), Filled(AV_PIX_FMT_RGB24, 8, 8, {0, 0, 255}));
  engine->Save(SaveSettings(folder.File("missing-folder/out.png"), IFormatCodecVideo::CODEC_ID_PNG, "png"));
  ASSERT_EQ(engine.core.errors.size(), 1u);
  EXPECT_THROW(engine.core.Rethrow(0), Zentor::Core::FileException);
  EXPECT_FALSE(engine->GetUndoStore()->IsSaved());
}

TEST_F(Saving, WriteEffectTakesOverWhenTheCodecHasNoEncoder) {
  Engine engine(folder, RedPng());
  const std::string path = folder.File("fallback.png");
  WarningCapture warnings;
  engine->Save(SaveSettings(path, "nosuchcodec", "png"));
  ASSERT_TRUE(engine.core.errors.empty());
  EXPECT_EQ(warnings.Lines().size(), 1u);
  const DataVideoPtr decoded = Decode(path);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(Pixel(*decoded, 3, 3, 3)[0], 255);
}

}  // namespace

namespace {

TEST(OutputColorSpace, FramesForTheProgramFollowTheSettings) {
  TempFolder folder;
  const std::string path = folder.File("picture.png");
  WriteImage(path, Filled(AV_PIX_FMT_RGB24, 6, 4, {200, 100, 50}), IFormatCodecVideo::CODEC_ID_PNG);
  Engine engine(folder, path);
  DataVideoPtr frame = engine->GetVideo();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->GetPixelFormat(), AV_PIX_FMT_ARGB);

  engine->SetOutputColorSpace(Zentor::Proc::IColorSpaceConverter::MakeSettings({AV_PIX_FMT_BGR24}));
  frame = engine->GetVideo();
  ASSERT_TRUE(frame);
  ASSERT_EQ(frame->GetPixelFormat(), AV_PIX_FMT_BGR24);
  const uint8_t* p = Pixel(*frame, 2, 2, 3);
  EXPECT_EQ(p[0], 50);
  EXPECT_EQ(p[1], 100);
  EXPECT_EQ(p[2], 200);
  EXPECT_TRUE(engine.core.errors.empty());
}

}  // namespace
