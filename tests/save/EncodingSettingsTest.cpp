#include "SaveTestSupport.h"

#include "GlimraCore/Settings.h"
#include "Platform/Bedrock/Sanitizers.h"

#include <cstdlib>
#include <locale>
#include <sstream>

#ifdef ZENTOR_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

using namespace SaveTest;

namespace {

Property ResolutionInfo(double dpi) {
  Property info(Glimra::IGlimraUndo::TAG_FRAME_INFO);
  info.SetChild(Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS)
      .SetChildT(Glimra::Helpers::ResizeHelper::RESOLUTION, dpi);
  return info;
}

Property CodecSettings(const char* codecId) {
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(IFormatCodec::TAG_CODEC_ID, std::string(codecId));
  return settings;
}

std::string Dpi(const Zentor::Conf::FormatCodecVideoPtr& codec) {
  return Zentor::Core::GetValue<std::string>(codec->GetEncoderSettings()[IFormatCodecVideo::TAG_DPI]);
}

class EncodingSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    image = folder.File("picture.png");
    WriteImage(image, Filled(AV_PIX_FMT_RGB24, 40, 30, {10, 20, 30}), IFormatCodecVideo::CODEC_ID_PNG);
  }
  TempFolder folder;
  std::string image;
};

TEST_F(EncodingSettings, DefaultsOfAFreshPng) {
  Engine engine(folder, image);
  const Property defaults = engine->GetDefaultSaveSettings();
  EXPECT_EQ(defaults.GetName(), IImageMetadata::SAVE_SETTINGS);
  const std::vector<std::string> order = {IFormatFile::TAG_FILENAME,      IFormatCodec::TAG_CODEC_ID,
                                          IImageMetadata::SAVE_EXIF,      IImageMetadata::SAVE_IPTC,
                                          IImageMetadata::SAVE_COMMENT,   IImageMetadata::SAVE_XMP,
                                          IImageMetadata::SAVE_THUMBNAIL, IImageMetadata::UPDATE_THUMBNAIL};
  ASSERT_EQ(defaults.Count(), order.size());
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(defaults[i].GetName(), order[i]) << i;
  EXPECT_EQ(defaults[size_t(0)].GetString(), image);
  EXPECT_EQ(defaults[size_t(1)].GetString(), IFormatCodecVideo::CODEC_ID_PNG);
  for (size_t i = 2; i < order.size(); ++i) {
    EXPECT_EQ(defaults[i].GetType(), Zentor::PT_BOOL);
    EXPECT_TRUE(defaults[i].GetBool()) << order[i];
  }
}

TEST_F(EncodingSettings, LastSaveSettingsComeBackEvenAfterAFailedSave) {
  Engine engine(folder, image);
  const std::string before = ReadFile(image);

  // No encoder for the codec and an extension the plug-in refuses: nothing can encode.
  Property failing = SaveSettings(image, "nosuchcodec", "nosuchext");
  failing.SetChildT("extra", 17);
  {
    WarningCapture warnings;
    engine->Save(failing);
    EXPECT_EQ(warnings.Lines().size(), 2u);
  }
  ASSERT_EQ(engine.core.errors.size(), 1u);
  EXPECT_THROW(engine.core.Rethrow(0), Glimra::IOException);
  EXPECT_EQ(engine->GetDefaultSaveSettings(), failing);
  EXPECT_EQ(ReadFile(image), before);
  EXPECT_TRUE(engine->GetUndoStore()->IsSaved());

  const std::string target = folder.File("copy.png");
  Property good = SaveSettings(target, IFormatCodecVideo::CODEC_ID_PNG, "png");
  good.SetChild("extraGroup").SetChildT("inner", std::string("x"));
  engine->Save(good);
  EXPECT_EQ(engine.core.errors.size(), 1u);
  EXPECT_EQ(engine->GetDefaultSaveSettings(), good);
}

TEST_F(EncodingSettings, FixedStreamOptionsThenTheCommonGroup) {
  Engine engine(folder, image);
  Property settings = CodecSettings(IFormatCodecVideo::CODEC_ID_MJPEG);
  Property codecTree = engine->GetEncodingSettings(settings)->GetSettings();
  EXPECT_EQ(codecTree[IFormatCodec::TAG_CODEC_ID].GetString(), IFormatCodecVideo::CODEC_ID_MJPEG);
  EXPECT_EQ(Zentor::Core::GetValue<long long>(codecTree[IFormatCodecVideo::TAG_MAX_I_FRAME_INTERVAL]), 25);
  EXPECT_EQ(Zentor::Core::GetValue<long long>(codecTree[IFormatCodecVideo::TAG_MAX_B_FRAME_SEQUENCE]), 0);
  EXPECT_FALSE(codecTree[IFormatCodec::TAG_GLOBAL_HEADER].GetBool());

  Property& common = settings.SetChild(Glimra::Settings::FORMAT_SAVE_SETTINGS_COMMON);
  common.SetChildT(IFormatCodecVideo::TAG_MAX_I_FRAME_INTERVAL, 1LL);
  common.SetChildT(IFormatCodec::TAG_QUALITY, 7LL);
  codecTree = engine->GetEncodingSettings(settings)->GetSettings();
  EXPECT_EQ(Zentor::Core::GetValue<long long>(codecTree[IFormatCodecVideo::TAG_MAX_I_FRAME_INTERVAL]), 1);
  EXPECT_EQ(Zentor::Core::GetValue<long long>(codecTree[IFormatCodec::TAG_QUALITY]), 7);
}

TEST_F(EncodingSettings, EncoderSettingsFromPresetSaveOptionsAndResolution) {
  Engine engine(folder, image);
  const Property preset =
      Zentor::Core::CreateDataHelper(Zentor::Conf::IPreset::KEY_FILTER_VIDEO_CODEC, IFormatCodecVideo::CODEC_ID_TIFF)
          ->GetSettings()[IFormatCodec::TAG_ENCODER_SETTINGS];

  // Without a resolution and without save options the preset stays as it is.
  SetPicture(engine, Property(Glimra::IGlimraUndo::TAG_FRAME_INFO), Filled(AV_PIX_FMT_RGB24, 8, 8, {1, 2, 3}));
  Property settings = CodecSettings(IFormatCodecVideo::CODEC_ID_TIFF);
  EXPECT_EQ(engine->GetEncodingSettings(settings)->GetEncoderSettings(), preset);
  // An empty save-options group still rewrites them, with their own values.
  settings.SetChild(Glimra::Settings::FORMAT_SAVE_SETTINGS_ENCODE);
  EXPECT_EQ(engine->GetEncodingSettings(settings)->GetEncoderSettings(), preset);

  settings.SetChild(Glimra::Settings::FORMAT_SAVE_SETTINGS_ENCODE)
      .SetChildT(Glimra::Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM,
                 Glimra::Settings::SaveOptions::Tiff::VAL_COMPRESSION_ALGORITHM_LZW);
  SetPicture(engine, ResolutionInfo(71.5), Filled(AV_PIX_FMT_RGB24, 8, 8, {1, 2, 3}));
  const Zentor::Conf::FormatCodecVideoPtr codec = engine->GetEncodingSettings(settings);
  EXPECT_EQ(Dpi(codec), "72");
  EXPECT_EQ(codec->GetEncoderSettings()[Glimra::Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM].GetString(),
            Glimra::Settings::SaveOptions::Tiff::VAL_COMPRESSION_ALGORITHM_LZW);

  SetPicture(engine, ResolutionInfo(299.6), Filled(AV_PIX_FMT_RGB24, 8, 8, {1, 2, 3}));
  EXPECT_EQ(Dpi(engine->GetEncodingSettings(settings)), "300");
  // Resolutions that print nothing sensible are not passed on.
  for (double unusable : {0.0, -5.0, 1e12}) {
    SetPicture(engine, ResolutionInfo(unusable), Filled(AV_PIX_FMT_RGB24, 8, 8, {1, 2, 3}));
    EXPECT_FALSE(engine->GetEncodingSettings(settings)->GetEncoderSettings().ChildExists(IFormatCodecVideo::TAG_DPI))
        << unusable;
  }
}

// glibc keeps a copy of LOCPATH that it never frees; that is not a leak of ours.
struct LeakCheckPause {
#ifdef ZENTOR_ADDRESS_SANITIZER
  LeakCheckPause() { __lsan_disable(); }
  ~LeakCheckPause() { __lsan_enable(); }
#else
  LeakCheckPause() {}
  ~LeakCheckPause() {}
#endif
};

// A locale with a decimal comma and thousands dots: de_DE when the system has it or can make it
// (then LOCPATH names the folder made and stays set), else the same punctuation on the classic locale.
std::locale GermanLocale(const TempFolder& folder) {
  LeakCheckPause pause;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
    try {
      return std::locale(name);
    } catch (const std::runtime_error&) {
    }
  }
  const std::string dir = folder.File("locales");
  const std::string command = "localedef -i de_DE -f UTF-8 " + dir + "/de_DE.UTF-8 > /dev/null 2>&1";
  if (std::system(("mkdir -p " + dir + " && " + command).c_str()) == 0) {
    setenv("LOCPATH", dir.c_str(), 1);
    try {
      return std::locale("de_DE.UTF-8");
    } catch (const std::runtime_error&) {
    }
    unsetenv("LOCPATH");
  }
  struct Comma : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  return std::locale(std::locale::classic(), new Comma);
}

// The global C++ and C locales for the scope.
class GlobalLocale {
 public:
  explicit GlobalLocale(const std::locale& locale) {
    LeakCheckPause pause;
    previous_ = std::locale::global(locale);
  }
  ~GlobalLocale() {
    LeakCheckPause pause;
    std::locale::global(previous_);
    unsetenv("LOCPATH");
  }

 private:
  std::locale previous_;
};

TEST_F(EncodingSettings, ResolutionTextIgnoresTheGlobalLocale) {
  Engine engine(folder, image);
  SetPicture(engine, ResolutionInfo(1200.0), Filled(AV_PIX_FMT_RGB24, 8, 8, {1, 2, 3}));
  const std::locale german = GermanLocale(folder);
  std::ostringstream check;
  check.imbue(german);
  check << 1200.5;
  EXPECT_EQ(check.str(), "1.200,5") << "the test locale must group and use a decimal comma";

  GlobalLocale global(german);
  EXPECT_EQ(Dpi(engine->GetEncodingSettings(CodecSettings(IFormatCodecVideo::CODEC_ID_PNG))), "1200");
}

TEST_F(EncodingSettings, SettingsWithoutCodecIdOrWithAnUnknownOneAreRefused) {
  Engine engine(folder, image);
  EXPECT_THROW(engine->GetEncodingSettings(Property(IImageMetadata::SAVE_SETTINGS)), Zentor::Core::PropertyException);
  EXPECT_THROW(engine->GetEncodingSettings(CodecSettings("nosuchcodec")), Zentor::Core::CoreException);
}

}  // namespace
