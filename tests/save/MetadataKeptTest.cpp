// What a save keeps of the opened file's metadata beyond the common tags.
#include "SaveTestSupport.h"

using namespace SaveTest;

namespace {

std::string Base64(const std::string& bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t b = uint32_t(uint8_t(bytes[i])) << 16;
    if (i + 1 < bytes.size()) b |= uint32_t(uint8_t(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) b |= uint8_t(bytes[i + 2]);
    out += digits[(b >> 18) & 63];
    out += digits[(b >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(b >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[b & 63] : '=';
  }
  return out;
}

// A minimal colour profile: a 132-byte header whose size field and signature are right, no tags.
std::string Profile() {
  std::string profile(132, '\0');
  profile[3] = char(132);
  profile.replace(36, 4, "acsp");
  for (size_t i = 40; i < 100; ++i) profile[i] = char(i * 7);
  return profile;
}

Property ExifText(const std::string& key, const std::string& text) {
  Property entry(key);
  entry.SetChildT(IImageMetadata::TEXT_VALUE, text);
  entry.SetChildT(IImageMetadata::TYPE_ID, 7LL);  // stored as undefined bytes
  return entry;
}

std::string TextOf(const Property& tree, const std::string& key) {
  const auto exif = tree.FindChild(IImageMetadata::EXIF);
  if (exif == tree.end() || !exif->ChildExists(key)) return "";
  return Zentor::Core::GetValue<std::string>((*exif)[key][IImageMetadata::TEXT_VALUE]);
}

TEST(MetadataKept, ColourProfileAndCommentTextsSurviveOpenAndSave) {
  TempFolder folder;
  const std::string source = folder.File("source.jpg");
  WriteImage(source, Filled(AV_PIX_FMT_RGB24, 40, 30, {90, 120, 200}), IFormatCodecVideo::CODEC_ID_MJPEG);
  Property tree(IImageMetadata::IMAGE_METADATA);
  tree.SetChildT(IImageMetadata::ICC_PROFILE, Base64(Profile()));
  Property& exif = tree.SetChild(IImageMetadata::EXIF);
  exif.AppendChild(ExifText("Exif.Photo.UserComment", "charset=Ascii A note"));
  exif.AppendChild(ExifText("Exif.GPSInfo.GPSProcessingMethod", "charset=Ascii GPS"));
  exif.AppendChild(ExifText("Exif.GPSInfo.GPSAreaInformation", "charset=Ascii Harbour"));
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(IFormatFile::TAG_FILENAME, source);
  Zentor::Proc::ImageMetadata::Create(tree)->Write(settings, nullptr);

  Engine engine(folder, source);
  for (const auto& format : {std::make_pair(IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"),
                             std::make_pair(IFormatCodecVideo::CODEC_ID_PNG, "png"),
                             std::make_pair(IFormatCodecVideo::CODEC_ID_TIFF, "tif")}) {
    SCOPED_TRACE(format.second);
    const std::string path = folder.File(std::string("kept.") + format.second);
    engine->Save(SaveSettings(path, format.first, format.second));
    ASSERT_TRUE(engine.core.errors.empty());
    const Property saved = Zentor::Proc::ImageMetadata::Create(path, nullptr)->GetMetadata();
    ASSERT_TRUE(saved.ChildExists(IImageMetadata::ICC_PROFILE));
    EXPECT_EQ(Zentor::Core::GetValue<std::string>(saved[IImageMetadata::ICC_PROFILE]), Base64(Profile()));
    EXPECT_EQ(TextOf(saved, "Exif.Photo.UserComment"), "charset=Ascii A note");
    EXPECT_EQ(TextOf(saved, "Exif.GPSInfo.GPSProcessingMethod"), "charset=Ascii GPS");
    EXPECT_EQ(TextOf(saved, "Exif.GPSInfo.GPSAreaInformation"), "charset=Ascii Harbour");
  }
}

}  // namespace
