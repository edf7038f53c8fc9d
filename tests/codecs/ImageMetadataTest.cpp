// Metadata read at open, held in memory and written into the saved file.
#include "CodecTestSupport.h"

#include "Platform/Bedrock/PropertySerializer.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/ImageTags/ImageMetadata.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

using namespace CodecTest;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Proc::IImageMetadata;
using Zentor::Proc::ImageMetadata;

namespace {

std::string Text(const Core::Property& entry) {
  if (entry.GetType() == PT_NONE) return "<none>";
  return Core::GetValue<std::string>(entry[IImageMetadata::TEXT_VALUE]);
}

std::string ExifText(const IImageMetadata& m, const char* tag) {
  return Text(m.GetTag(IImageMetadata::FAMILY_EXIF, IImageMetadata::GROUP_IMAGE, tag));
}

// A JPEG carrying orientation 6, 300 dpi, a camera model and a thumbnail, written with exiv2 directly.
struct CameraJpeg {
  std::string path;
  std::string thumbnail;
  Conf::FormatCodecVideoPtr codec;
};

CameraJpeg MakeCameraJpeg(const TempDir& dir, const std::string& name) {
  CameraJpeg c;
  c.path = dir.File(name);
  WriteFile(c.path, Encode(MakePicture(96, 64), IFormatCodecVideo::CODEC_ID_MJPEG));
  const BlobPtr thumb = Encode(MakePicture(24, 16), IFormatCodecVideo::CODEC_ID_MJPEG);
  c.thumbnail.assign(reinterpret_cast<const char*>(thumb->Data()), thumb->Size());

  auto image = Exiv2::ImageFactory::open(c.path);
  image->readMetadata();
  Exiv2::ExifData exif;
  exif["Exif.Image.Orientation"] = uint16_t(6);
  exif["Exif.Image.XResolution"] = Exiv2::URational(300, 1);
  exif["Exif.Image.YResolution"] = Exiv2::URational(300, 1);
  exif["Exif.Image.ResolutionUnit"] = uint16_t(2);
  exif["Exif.Image.Model"] = "Test Camera";
  exif["Exif.Photo.PixelXDimension"] = uint32_t(96);
  Exiv2::ExifThumb(exif).setJpegThumbnail(thumb->Data(), static_cast<long>(thumb->Size()));
  image->setExifData(exif);
  Exiv2::XmpData xmp;
  xmp["Xmp.tiff.Orientation"] = "6";
  xmp["Xmp.dc.title"] = "A title";
  image->setXmpData(xmp);
  Exiv2::IptcData iptc;
  iptc["Iptc.Application2.Caption"] = "A caption";
  image->setIptcData(iptc);
  image->setComment("a comment");
  image->writeMetadata();

  c.codec = DecodeFile(c.path).codec;
  return c;
}

Core::Property SaveSettings(const std::string& path) {
  Core::Property s(IImageMetadata::SAVE_SETTINGS);
  s.SetChildT(Conf::IFormatFile::TAG_FILENAME, path);
  for (const char* flag : {IImageMetadata::SAVE_EXIF, IImageMetadata::SAVE_IPTC, IImageMetadata::SAVE_COMMENT,
                           IImageMetadata::SAVE_XMP, IImageMetadata::SAVE_THUMBNAIL,
                           IImageMetadata::UPDATE_THUMBNAIL}) {
    s.SetChildT(flag, true);
  }
  return s;
}

Exiv2::Image::AutoPtr ReadBack(const std::string& path) {
  auto image = Exiv2::ImageFactory::open(path);
  image->readMetadata();
  return image;
}

std::string BlobText(const BlobPtr& b) {
  return b ? std::string(reinterpret_cast<const char*>(b->Data()), b->Size()) : std::string();
}

}  // namespace

TEST(ImageMetadata, ReadsExifFileInformationAndThumbnail) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const auto m = ImageMetadata::Create(jpeg.path, jpeg.codec);
  ASSERT_TRUE(m);
  EXPECT_EQ(ExifText(*m, IImageMetadata::TAG_ORIENTATION), "6");
  EXPECT_EQ(ExifText(*m, IImageMetadata::TAG_XRESOLUTION), "300/1");
  EXPECT_EQ(ExifText(*m, IImageMetadata::TAG_RESOLUTION_UOM), "2");
  EXPECT_EQ(ExifText(*m, IImageMetadata::TAG_COMPRESSION), "<none>");
  EXPECT_EQ(IImageMetadata::GetKey("Exif", "Image", "Orientation"), "Exif.Image.Orientation");
  EXPECT_EQ(BlobText(m->GetThumbnail()), jpeg.thumbnail);

  const Core::Property& tree = m->GetMetadata();
  EXPECT_EQ(tree.GetName(), IImageMetadata::IMAGE_METADATA);
  const Core::Property& main = tree[IImageMetadata::BASE_INFO_MAIN];
  EXPECT_EQ(Text(main[Conf::IFormatFile::TAG_FILENAME]), "camera.jpg");
  EXPECT_EQ(Text(main[Conf::IFormatFile::TAG_FILE_EXTENSION]), "jpg");
  EXPECT_EQ(Core::GetValue<long long>(main[IFormatCodecVideo::TAG_WIDTH][IImageMetadata::VALUE]), 96);
  EXPECT_EQ(Text(main[Conf::IFormatCodec::TAG_CODEC_ID]), IFormatCodecVideo::CODEC_ID_MJPEG);
  EXPECT_TRUE(tree.ChildExists(IImageMetadata::BASE_INFO_FILE_TIME));
  const Core::Property& model = tree[IImageMetadata::EXIF]["Exif.Image.Model"];
  EXPECT_EQ(Core::GetValue<std::string>(model[IImageMetadata::TAG_NAME]), "Model");
}

TEST(ImageMetadata, KeepsOrientationResolutionAndThumbnailThroughWrite) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const auto m = ImageMetadata::Create(jpeg.path, jpeg.codec);

  // Saving overwrites the original before the metadata goes back in: the object holds everything.
  WriteFile(jpeg.path, Encode(MakePicture(64, 96), IFormatCodecVideo::CODEC_ID_MJPEG));
  m->Write(SaveSettings(jpeg.path), m->GetThumbnail());

  auto image = ReadBack(jpeg.path);
  Exiv2::ExifData& exif = image->exifData();
  EXPECT_EQ(exif["Exif.Image.Orientation"].toLong(), 6);
  EXPECT_EQ(exif["Exif.Image.XResolution"].toString(), "300/1");
  EXPECT_EQ(exif["Exif.Image.Model"].toString(), "Test Camera");
  EXPECT_EQ(exif["Exif.Photo.PixelXDimension"].toLong(), 64);  // the written picture's width
  const Exiv2::DataBuf thumb = Exiv2::ExifThumbC(exif).copy();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(thumb.pData_), thumb.size_), jpeg.thumbnail);
  EXPECT_EQ(image->comment(), "a comment");
  // The picture itself still decodes.
  EXPECT_EQ(DecodeFile(jpeg.path).frame->GetWidth(), 64u);
}

TEST(ImageMetadata, ReplaceSettingsAndFlagsApply) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const auto m = ImageMetadata::Create(jpeg.path, jpeg.codec);
  const std::string out = dir.File("turned.jpg");

  WriteFile(out, Encode(MakePicture(64, 96), IFormatCodecVideo::CODEC_ID_MJPEG));
  Core::Property settings = SaveSettings(out);
  Core::Property& replace = settings.SetChild(IImageMetadata::REPLACE_SETTINGS);
  replace.SetChildT(IImageMetadata::GetKey("Exif", "Image", "Orientation"),
                    std::string(IImageMetadata::VAL_ORIENTATION_NORMAL));
  const BlobPtr newThumb = Encode(MakePicture(16, 24), IFormatCodecVideo::CODEC_ID_MJPEG);
  m->Write(settings, newThumb);
  {
    auto image = ReadBack(out);
    EXPECT_EQ(image->exifData()["Exif.Image.Orientation"].toLong(), 1);
    // The XMP copy of the orientation follows; other blocks are kept.
    EXPECT_EQ(image->xmpData()["Xmp.tiff.Orientation"].toString(), "1");
    EXPECT_EQ(image->xmpData()["Xmp.dc.title"].toString(), "lang=\"x-default\" A title");
    EXPECT_EQ(image->iptcData()["Iptc.Application2.Caption"].toString(), "A caption");
    const Exiv2::DataBuf thumb = Exiv2::ExifThumbC(image->exifData()).copy();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(thumb.pData_), thumb.size_), BlobText(newThumb));
  }

  // No thumbnail given: none written. No EXIF asked: none written, comment still there.
  WriteFile(out, Encode(MakePicture(64, 96), IFormatCodecVideo::CODEC_ID_MJPEG));
  m->Write(SaveSettings(out), nullptr);
  EXPECT_EQ(Exiv2::ExifThumbC(ReadBack(out)->exifData()).copy().size_, 0);
  WriteFile(out, Encode(MakePicture(64, 96), IFormatCodecVideo::CODEC_ID_MJPEG));
  settings = SaveSettings(out);
  settings.SetChildT(IImageMetadata::SAVE_EXIF, false);
  m->Write(settings, m->GetThumbnail());
  auto image = ReadBack(out);
  EXPECT_TRUE(image->exifData().empty());
  EXPECT_EQ(image->comment(), "a comment");

  // Neither XMP, IPTC nor the comment when they are not asked for.
  WriteFile(out, Encode(MakePicture(64, 96), IFormatCodecVideo::CODEC_ID_MJPEG));
  settings = SaveSettings(out);
  settings.SetChildT(IImageMetadata::SAVE_XMP, false);
  settings.SetChildT(IImageMetadata::SAVE_IPTC, false);
  settings.SetChildT(IImageMetadata::SAVE_COMMENT, false);
  m->Write(settings, nullptr);
  image = ReadBack(out);
  EXPECT_TRUE(image->xmpData().empty());
  EXPECT_TRUE(image->iptcData().empty());
  EXPECT_EQ(image->comment(), "");
  EXPECT_FALSE(image->exifData().empty());
}

TEST(ImageMetadata, StoredTreeGivesTheSameObject) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const auto restored = ImageMetadata::Create(ImageMetadata::Create(jpeg.path, jpeg.codec)->GetMetadata());
  ASSERT_TRUE(restored);
  EXPECT_EQ(ExifText(*restored, IImageMetadata::TAG_ORIENTATION), "6");
  EXPECT_EQ(BlobText(restored->GetThumbnail()), jpeg.thumbnail);

  const std::string out = dir.File("restored.png");
  WriteFile(out, Encode(MakePicture(8, 8), IFormatCodecVideo::CODEC_ID_PNG));
  restored->Write(SaveSettings(out), restored->GetThumbnail());
  EXPECT_EQ(ReadBack(out)->exifData()["Exif.Image.XResolution"].toString(), "300/1");

  // Found inside a larger tree, as in a session file.
  Core::Property session("GlimraDump");
  session.SetChildT("File", jpeg.path);
  session.SetChild(IImageMetadata::IMAGE_METADATA, restored->GetMetadata());
  // Through the session file's text form and back.
  const std::string sessionFile = dir.File("session.json");
  {
    Core::DataOutputPtr out = Core::DataOutputFile::Create(sessionFile);
    Core::PropertySerializer::Serialize(session, *out, false);
    out->Commit();
  }
  Core::Property stored;
  Core::PropertySerializer::Deserialize(stored, *Core::DataInputFile::Create(sessionFile), true);
  const auto fromSession = ImageMetadata::Create(stored);
  ASSERT_TRUE(fromSession);
  EXPECT_EQ(ExifText(*fromSession, IImageMetadata::TAG_XRESOLUTION), "300/1");
  EXPECT_EQ(BlobText(fromSession->GetThumbnail()), jpeg.thumbnail);
  const std::string out2 = dir.File("from-session.jpg");
  WriteFile(out2, Encode(MakePicture(8, 8), IFormatCodecVideo::CODEC_ID_MJPEG));
  fromSession->Write(SaveSettings(out2), fromSession->GetThumbnail());
  EXPECT_EQ(ReadBack(out2)->exifData()["Exif.Image.Model"].toString(), "Test Camera");

  EXPECT_FALSE(ImageMetadata::Create(Core::Property()));
  EXPECT_FALSE(ImageMetadata::Create(Core::Property("somethingElse")));
}

TEST(ImageMetadata, StoredTypeCodesExiv2DoesNotHaveAreSkipped) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  Core::Property tree = ImageMetadata::Create(jpeg.path, jpeg.codec)->GetMetadata();
  auto add = [&tree](const char* key, const char* text, long long type) {
    Core::Property& entry = tree[IImageMetadata::EXIF].SetChild(key);
    entry.SetChildT(IImageMetadata::TEXT_VALUE, std::string(text));
    entry.SetChildT(IImageMetadata::TYPE_ID, type);
  };
  add("Exif.Photo.ISOSpeedRatings", "200", -3);
  add("Exif.Photo.FocalLengthIn35mmFilm", "50", 1LL << 40);
  add("Exif.Photo.ExposureProgram", "2", Exiv2::unsignedShort);
  const auto restored = ImageMetadata::Create(tree);
  ASSERT_TRUE(restored);
  const std::string out = dir.File("out.jpg");
  WriteFile(out, Encode(MakePicture(8, 8), IFormatCodecVideo::CODEC_ID_MJPEG));
  restored->Write(SaveSettings(out), restored->GetThumbnail());
  const auto image = ReadBack(out);
  auto text = [&image](const char* key) {
    const auto it = image->exifData().findKey(Exiv2::ExifKey(key));
    return it == image->exifData().end() ? std::string("<none>") : it->toString();
  };
  EXPECT_EQ(text("Exif.Photo.ISOSpeedRatings"), "<none>");
  EXPECT_EQ(text("Exif.Photo.FocalLengthIn35mmFilm"), "<none>");
  EXPECT_EQ(text("Exif.Photo.ExposureProgram"), "2");
  EXPECT_EQ(text("Exif.Image.Model"), "Test Camera");
}

TEST(ImageMetadata, MissingFileGivesAnEmptyObject) {
  TempDir dir;
  const auto m = ImageMetadata::Create(dir.File("gone.jpg"), nullptr);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->GetMetadata().Count(), 0u);
  EXPECT_EQ(m->GetTag("Exif", "Image", "Orientation").GetType(), PT_NONE);
  EXPECT_FALSE(m->GetThumbnail());
}

TEST(ImageMetadata, FormatsWithoutMetadataAreSkippedSilently) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const auto m = ImageMetadata::Create(jpeg.path, jpeg.codec);
  const std::pair<const char*, const char*> formats[] = {
      {IFormatCodecVideo::CODEC_ID_BMP, "bmp"}, {IFormatCodecVideo::CODEC_ID_PCX, "pcx"},
      {IFormatCodecVideo::CODEC_ID_TARGA, "tga"}, {IFormatCodecVideo::CODEC_ID_DPX, "dpx"},
      {IFormatCodecVideo::CODEC_ID_PPM, "ppm"}, {IFormatCodecVideo::CODEC_ID_PGM, "pgm"},
      {IFormatCodecVideo::CODEC_ID_PBM, "pbm"}, {IFormatCodecVideo::CODEC_ID_XBM, "xbm"}};
  for (const auto& f : formats) {
    SCOPED_TRACE(f.first);
    const std::string path = dir.File(std::string("picture.") + f.second);
    WriteFile(path, Encode(MakePicture(12, 8), f.first));
    const std::string before = ReadFile(path);
    EXPECT_NO_THROW(m->Write(SaveSettings(path), m->GetThumbnail()));
    EXPECT_EQ(ReadFile(path), before);
  }
}

TEST(ImageMetadata, TiffKeepsItsLayoutWhenExifIsWritten) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const auto m = ImageMetadata::Create(jpeg.path, jpeg.codec);
  const std::string path = dir.File("picture.tif");
  auto codec = IFormatCodecVideo::Create();
  codec->SetSettings(CodecSettings(IFormatCodecVideo::CODEC_ID_TIFF));
  Core::Property encoder = codec->GetEncoderSettings();
  encoder.SetChildT("compression_algo", std::string("lzw"));
  codec->SetEncoderSettings(encoder);
  WriteFile(path, Encode(MakePicture(33, 17), codec->GetSettings()));
  m->Write(SaveSettings(path), m->GetThumbnail());

  const Decoded d = DecodeFile(path);
  ASSERT_TRUE(d.frame);
  EXPECT_EQ(DiffToPicture(d.frame), 0.0);
  const auto tiff = ImageMetadata::Create(path, d.codec);
  EXPECT_EQ(ExifText(*tiff, IImageMetadata::TAG_ORIENTATION), "6");
  EXPECT_EQ(ExifText(*tiff, IImageMetadata::TAG_COMPRESSION), "5");

  // A TIFF's layout tags never travel into another file.
  const std::string jpg = dir.File("from-tiff.jpg");
  WriteFile(jpg, Encode(MakePicture(33, 17), IFormatCodecVideo::CODEC_ID_MJPEG));
  tiff->Write(SaveSettings(jpg), nullptr);
  auto image = ReadBack(jpg);
  EXPECT_EQ(image->exifData().findKey(Exiv2::ExifKey("Exif.Image.Compression")), image->exifData().end());
  EXPECT_EQ(image->exifData()["Exif.Image.Orientation"].toLong(), 6);
}

// Each written format carries what other readers require of it: a PNG's colour profile under a
// name and its EXIF in the standard's chunk, a JPEG thumbnail's resolution, a TIFF with no second
// directory and no JPEG-only tags.
TEST(ImageMetadata, WrittenFilesCarryWhatOtherReadersRequire) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  std::string profile(256, 'p');
  profile.replace(0, 4, std::string("\0\0\x01\0", 4));  // its own size, 256
  profile.replace(36, 4, "acsp");
  {
    auto image = ReadBack(jpeg.path);
    image->exifData()["Exif.Photo.ComponentsConfiguration"] = "1 2 3 0";
    Exiv2::DataBuf bytes(reinterpret_cast<const Exiv2::byte*>(profile.data()), long(profile.size()));
    image->setIccProfile(bytes);
    image->writeMetadata();
  }
  const auto m = ImageMetadata::Create(jpeg.path, jpeg.codec);
  const auto written = [&](const char* name, const char* codec) {
    const std::string path = dir.File(name);
    WriteFile(path, Encode(MakePicture(40, 30), codec));
    m->Write(SaveSettings(path), m->GetThumbnail());
    return path;
  };

  auto jpgImage = ReadBack(written("out.jpg", IFormatCodecVideo::CODEC_ID_MJPEG));
  Exiv2::ExifData& exif = jpgImage->exifData();
  EXPECT_EQ(exif["Exif.Thumbnail.XResolution"].toString(), "300/1");
  EXPECT_EQ(exif["Exif.Thumbnail.YResolution"].toString(), "300/1");
  EXPECT_EQ(exif["Exif.Thumbnail.ResolutionUnit"].toLong(), 2);

  const std::string png = ReadFile(written("out.png", IFormatCodecVideo::CODEC_ID_PNG));
  std::vector<std::string> names;
  int exifChunks = 0;
  for (size_t at = 8; at + 12 <= png.size();) {
    const uint32_t length = uint32_t(uint8_t(png[at])) << 24 | uint8_t(png[at + 1]) << 16 |
                            uint8_t(png[at + 2]) << 8 | uint8_t(png[at + 3]);
    const std::string type = png.substr(at + 4, 4);
    if (type == "IDAT") break;
    if (type == "iCCP") names.push_back(png.substr(at + 8, png.find('\0', at + 8) - at - 8));
    exifChunks += type == "eXIf";
    at += 12 + size_t(length);
  }
  EXPECT_EQ(exifChunks, 1);
  EXPECT_EQ(png.find("Raw profile type exif"), std::string::npos);
  ASSERT_EQ(names.size(), 1u) << "one profile, before the pixels";
  EXPECT_GE(names[0].size(), 1u);
  EXPECT_LE(names[0].size(), 79u);
  auto pngImage = ReadBack(dir.File("out.png"));
  ASSERT_TRUE(pngImage->iccProfileDefined());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(pngImage->iccProfile()->pData_), pngImage->iccProfile()->size_),
            profile);
  EXPECT_EQ(ImageMetadata::Create(dir.File("out.png"), nullptr)->GetMetadata()[IImageMetadata::EXIF]["Exif.Image.Model"]
                [IImageMetadata::TEXT_VALUE]
                .GetString(),
            "Test Camera");

  const std::string tif = written("out.tif", IFormatCodecVideo::CODEC_ID_TIFF);
  const std::string t = ReadFile(tif);
  ASSERT_EQ(t.compare(0, 2, "II"), 0);
  const auto u32 = [&t](size_t o) {
    return uint32_t(uint8_t(t[o])) | uint8_t(t[o + 1]) << 8 | uint8_t(t[o + 2]) << 16 |
           uint32_t(uint8_t(t[o + 3])) << 24;
  };
  const uint32_t first = u32(4);
  const size_t entries = uint8_t(t[first]) | uint8_t(t[first + 1]) << 8;
  EXPECT_EQ(u32(first + 2 + 12 * entries), 0u) << "a second directory";
  auto tiffImage = ReadBack(tif);
  Exiv2::ExifData& tiffExif = tiffImage->exifData();
  EXPECT_EQ(tiffExif.findKey(Exiv2::ExifKey("Exif.Photo.ComponentsConfiguration")), tiffExif.end());
  EXPECT_EQ(tiffExif["Exif.Image.Model"].toString(), "Test Camera");
}

// Found by the fuzz target: exiv2 took these bytes for a QuickTime movie and never came back.
TEST(ImageMetadata, NonPictureFilesAreNotParsed) {
  TempDir dir;
  std::string bytes(151, '\0');
  const unsigned char head[] = {0x40, 0x00, 0x00, 0x14, 'f', 't', 'y', 'p', 'j', 'p', 'a', 0x27, 9, 9, 9, 9};
  std::copy(std::begin(head), std::end(head), bytes.begin());
  bytes[0x27] = 0x0a;
  bytes[0x39] = static_cast<char>(0xf3);
  for (int i = 0x3a; i < 0x3d; ++i) bytes[i] = static_cast<char>(0xff);
  const unsigned char tail[] = {0xff, 0xff, 0xff, 0xf7, 0x00, 0x00, 0x09, 0x5a, 0xff};
  std::copy(std::begin(tail), std::end(tail), bytes.end() - 9);
  const std::string path = dir.File("movie.jpg");
  WriteFile(path, bytes);
  ASSERT_EQ(Exiv2::ImageFactory::getType(path), 22);  // exiv2 takes it for a QuickTime movie
  const auto m = ImageMetadata::Create(path, nullptr);
  ASSERT_TRUE(m);
  EXPECT_FALSE(m->GetMetadata().ChildExists(IImageMetadata::EXIF));
  EXPECT_NO_THROW(m->Write(SaveSettings(path), nullptr));
  EXPECT_EQ(ReadFile(path), bytes);
}

TEST(ImageMetadata, DecoderNeverTurnsThePicture) {
  TempDir dir;
  const CameraJpeg jpeg = MakeCameraJpeg(dir, "camera.jpg");
  const Decoded d = DecodeFile(jpeg.path);
  EXPECT_EQ(d.frame->GetWidth(), 96u);
  EXPECT_EQ(d.frame->GetHeight(), 64u);
}

#pragma GCC diagnostic pop
