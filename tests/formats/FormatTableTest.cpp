// The format table: what opens, the dialog filters, the save list and the save settings it fills.
#include "FormatsTestSupport.h"

#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "Platform/AvNames/AvNames.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/Formats/ImageFormats.h"
#include "Platform/ImageTags/ImageMetadata.h"

#include <QStringList>

using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Conf::IFormatFile;
using Zentor::Core::Property;
using Helper = Zentor::Glimra::ExtensionFormatHelper;
namespace Settings = Zentor::Glimra::Settings;

namespace {

const std::string COMPRESSION = Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM;
const char* const ENGINE_COMPRESSION = Zentor::Proc::IImageMetadata::TAG_COMPRESSION;

class FormatOptions : public FormatsTest::FreshSettings {};

}  // namespace

TEST(SettingsName, JoinsSectionSlashAndWords) {
  EXPECT_EQ(Settings::Name(Settings::OPEN, Settings::FILE), "OpenFile");
  EXPECT_EQ(Settings::Name(Settings::SAVE, Settings::PATH, ""), "SavePath");
  EXPECT_EQ(Settings::Name("JPEG", "quality", Settings::FORMAT_SAVE_SETTINGS), "FormatSaveSettings/JPEGquality");
  EXPECT_EQ(Settings::Name("", "", ""), "");
}

TEST(FormatTable, OpenCheckComparesWholeSuffixesInAnyCase) {
  EXPECT_TRUE(Helper::CanOpenFile("/pictures/photo.JPG"));
  EXPECT_FALSE(Helper::CanOpenFile("photo"));
  EXPECT_FALSE(Helper::CanOpenFile("a.jp"));
  EXPECT_FALSE(Helper::CanOpenFile("folder.jpg/notes"));

  // The open list is exactly the rows' extensions, each pattern followed by a blank.
  QString rowPatterns;
  for (const auto& row : Helper::s_imageFormats) {
    for (const std::string& extension : row.second.extensions) {
      rowPatterns += QString::fromStdString("*." + extension + " ");
    }
  }
  EXPECT_EQ(Helper::GetSupportedFormatExtensionsForGroup(IFormatFile::GROUP_ALL_IMAGES), rowPatterns);
  EXPECT_EQ(Helper::GetSupportedFormatExtensionsForGroup("noSuchGroup"), "");
}

TEST(FormatTable, SaveListHasElevenRowsInNameOrder) {
  const QStringList entries = Helper::GetExtFilterForSaveDialog("#", ";", true, "$").split('#');
  const QStringList names = {"BMP", "DPX", "JPEG", "PBM", "PCX", "PGM", "PNG", "PPM", "TGA", "TIFF", "XBM"};
  ASSERT_EQ(entries.size(), names.size());
  for (int i = 0; i < names.size(); ++i) EXPECT_TRUE(entries[i].startsWith("Image " + names[i] + " (")) << i;
  EXPECT_EQ(entries[2], "Image JPEG (*.jpg;*.jpeg;*.jpe;*.jfif;*.jif)$*.jpg;*.jpeg;*.jpe;*.jfif;*.jif");

  EXPECT_EQ(Helper::GetFormatFromFilterForSaveDialogIndex(2), IFormatCodecVideo::CODEC_ID_MJPEG);
  EXPECT_EQ(Helper::GetFormatFromFilterForSaveDialogIndex(11), "");
  EXPECT_EQ(Helper::GetFormatFromFilterForSaveDialogIndex(-1), "");
  EXPECT_EQ(Helper::GetExtNumberInFilterForSaveDialog("JPEG"), 2);
  EXPECT_EQ(Helper::GetExtNumberInFilterForSaveDialog("jfif"), 2);
  EXPECT_EQ(Helper::GetExtNumberInFilterForSaveDialog("tif"), 9);
  for (const char* none : {"gif", "jp2", ""}) EXPECT_EQ(Helper::GetExtNumberInFilterForSaveDialog(none), -1);
}

TEST(FormatTable, FiltersAndFallbacks) {
  EXPECT_EQ(Helper::GetExtFilterForExtension(Helper::SELECTION_EXTENTION, false), "Image PGM (*.pgm *.pnm)");
  const QString jpeg = "Image JPEG (*.jpg *.jpeg *.jpe *.jfif *.jif)";
  EXPECT_EQ(Helper::GetExtFilterForExtension("xyz", false), jpeg);
  EXPECT_EQ(Helper::GetExtFilterForExtension("gif", true), jpeg);
  EXPECT_EQ(Helper::GetExtFilterForExtension("GIF", false), "Image GIF (*.gif)");
  EXPECT_TRUE(Helper::GetExtFilterForFormatName("WEBP", " ", false, "").isNull());
  // A percent sign in the tail is no place marker.
  EXPECT_EQ(Helper::GetExtFilterForFormatName("PNG", ",", true, "%1"), "Image PNG (*.png)%1*.png");
  EXPECT_EQ(Helper::GetCodecForExtension("TIF", true), IFormatCodecVideo::CODEC_ID_TIFF);
  EXPECT_EQ(Helper::GetCodecForExtension("gif", true), "");

  const QString open = Helper::GetExtFilterForOpenDialog({IFormatFile::GROUP_ALL_IMAGES});
  EXPECT_EQ(open, Helper::GetExtFilterForGroup(IFormatFile::GROUP_ALL_IMAGES) + ";;All Files (*.*)");
  EXPECT_TRUE(open.contains("*.tif *.xbm );;"));
  EXPECT_EQ(Helper::GetExtFilterForOpenDialog({}), "All Files (*.*)");

  const std::string targa =
      Zentor::AvNames::GetLongDecoderName(Zentor::Conf::CodecIDFromTextID(IFormatCodecVideo::CODEC_ID_TARGA));
  ASSERT_FALSE(targa.empty());
  EXPECT_EQ(Helper::GetDecoderName(IFormatCodec::CODEC_ID_NONE, "tga"), "Probably " + targa);
  EXPECT_EQ(Helper::GetDecoderName(IFormatCodecVideo::CODEC_ID_TARGA, "png"), targa);
  // Pictures are named by their formats, not by libav's video codecs ("Motion JPEG").
  EXPECT_EQ(Helper::GetDecoderName(IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"), "JPEG");
  EXPECT_EQ(Helper::GetEncoderName(IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"), "JPEG");
  EXPECT_EQ(Helper::GetDecoderName(IFormatCodecVideo::CODEC_ID_PNG, "png"), "PNG");
  EXPECT_EQ(Helper::GetDecoderName(IFormatCodecVideo::CODEC_ID_TIFF, "tif"), "TIFF");
  EXPECT_EQ(Helper::GetDecoderName(IFormatCodec::CODEC_ID_NONE, "jpeg"), "Probably JPEG");
}

TEST_F(FormatOptions, TiffSaveSettingsPreferGivenTagThenEngineTagThenStoredThenDefault) {
  auto compression = [](const Property& replace) {
    Property save("saveSettings");
    Helper::SetSaveSettings("tif", save, replace);
    EXPECT_EQ(save[IFormatFile::TAG_FILE_EXTENSION].GetString(), "tif");
    EXPECT_EQ(save[IFormatCodec::TAG_CODEC_ID].GetString(), IFormatCodecVideo::CODEC_ID_TIFF);
    EXPECT_TRUE(save.ChildExists(Settings::FORMAT_SAVE_SETTINGS_COMMON));
    return save[Settings::FORMAT_SAVE_SETTINGS_ENCODE][COMPRESSION].GetString();
  };
  Property replace(Settings::FORMAT_SAVE_SETTINGS);
  EXPECT_EQ(compression(replace), "packbits");
  Stored().SetString("FormatSaveSettings/TIFFcompression_algo", "deflate");
  EXPECT_EQ(compression(replace), "deflate");
  replace.SetChildT(ENGINE_COMPRESSION, std::string("lzw"));
  EXPECT_EQ(compression(replace), "lzw");
  replace.SetChildT(COMPRESSION, std::string("raw"));
  EXPECT_EQ(compression(replace), "raw");
}

TEST_F(FormatOptions, JpegQualityIsA64BitIntegerAndOpenOnlyNamesGetNoCodec) {
  Property save("saveSettings");
  Helper::SetSaveSettings("JPEG", save, Property());
  EXPECT_EQ(save[IFormatCodec::TAG_CODEC_ID].GetString(), IFormatCodecVideo::CODEC_ID_MJPEG);
  const Property& quality = save[Settings::FORMAT_SAVE_SETTINGS_COMMON][IFormatCodec::TAG_QUALITY];
  EXPECT_EQ(quality.GetType(), Zentor::PT_INT64);
  EXPECT_EQ(quality.GetInt64(), 1);
  Stored().SetInt64("FormatSaveSettings/JPEGquality", 20);
  Helper::SetSaveSettings("jpg", save, Property());
  EXPECT_EQ(save[Settings::FORMAT_SAVE_SETTINGS_COMMON][IFormatCodec::TAG_QUALITY].GetInt64(), 20);

  for (const char* extension : {"gif", "jp2", "webp"}) {
    Property untouched("saveSettings");
    Helper::SetSaveSettings(extension, untouched, Property());
    EXPECT_EQ(untouched.Count(), 0u) << extension;
  }
}

TEST_F(FormatOptions, OptionDefaultsAndFilteredOptions) {
  Property given(Settings::FORMAT_SAVE_SETTINGS);
  given.SetChildT(ENGINE_COMPRESSION, std::string("lzw"));
  given.SetChildT(COMPRESSION, std::string("raw"));  // only the engine's tag counts here
  EXPECT_EQ(Helper::GetSaveOptionsDefault(Helper::FORMAT_PNG, given), Property(Settings::FORMAT_SAVE_SETTINGS));
  EXPECT_EQ(Helper::GetSaveOptionsDefault("WEBP", given).Count(), 0u);
  EXPECT_EQ(Helper::GetSaveOptionsDefault(Helper::FORMAT_TIFF, given)[COMPRESSION].GetString(), "lzw");

  Property options(Settings::FORMAT_SAVE_SETTINGS);
  options.SetChildT(COMPRESSION, std::string("lzw"));
  options.SetChildT(IFormatCodec::TAG_QUALITY, 5LL);
  const Property tiff = Helper::FilterSaveOptions(IFormatCodecVideo::CODEC_ID_TIFF, options);
  ASSERT_EQ(tiff.Count(), 1u);
  EXPECT_EQ(tiff[0].GetName(), COMPRESSION);
  EXPECT_EQ(Helper::FilterSaveOptions("nosuchcodec", options), options);

  EXPECT_TRUE(Helper::CheckFormatForSaveOptions(IFormatCodecVideo::CODEC_ID_MJPEG));
  EXPECT_TRUE(Helper::CheckFormatForSaveOptions(IFormatCodecVideo::CODEC_ID_TIFF));
  EXPECT_FALSE(Helper::CheckFormatForSaveOptions(IFormatCodecVideo::CODEC_ID_PNG));
}
