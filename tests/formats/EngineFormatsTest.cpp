// The format table against the real engine: every extension it offers opens, every save row
// saves, and every JPEG quality the dialog can set gives a valid JPEG.
#include "FormatsTestSupport.h"

#include "support/EngineSupport.h"

#include "Customization/ExtensionFormatHelper.h"
#include "GlimraCore/Settings.h"
#include "Platform/Formats/IFormatCodec.h"
#include "UI/SaveOptions/Jpeg.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSlider>

using Zentor::Conf::IFormatCodecVideo;
using Zentor::Conf::IFormatFile;
using Zentor::Core::Property;
using Zentor::Glimra::ExtensionFormatHelper;
using Zentor::Glimra::GlimraCorePtr;
using Zentor::Glimra::IGlimraCore;
using Zentor::Proc::DataVideoPtr;
namespace Settings = Zentor::Glimra::Settings;

namespace {

constexpr uint32_t WIDTH = 24;
constexpr uint32_t HEIGHT = 16;

// A colour ramp, so lossy and 1-bit formats have something to keep.
DataVideoPtr Picture() {
  DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_RGB24, WIDTH, HEIGHT);
  for (uint32_t y = 0; y < HEIGHT; ++y) {
    uint8_t* row = frame->GetPicture().data[0] + ptrdiff_t(y) * frame->GetPicture().linesize[0];
    for (uint32_t x = 0; x < WIDTH; ++x) {
      row[3 * x] = uint8_t(x * 10);
      row[3 * x + 1] = uint8_t(y * 15);
      row[3 * x + 2] = uint8_t(255 - x * 10);
    }
  }
  return frame;
}

class EngineFormats : public FormatsTest::FreshSettings {
 protected:
  // Each fresh engine first looks for a session to restore and warns that there is none.
  void SetUp() override {
    FreshSettings::SetUp();
    FLAGS_minloglevel = google::GLOG_ERROR;
  }
  void TearDown() override {
    FLAGS_minloglevel = level;
    FreshSettings::TearDown();
  }

  // An engine on the file with a session of its own; null when the file does not open.
  GlimraCorePtr Open(const std::string& path) {
    const std::string session = folder.File("session" + std::to_string(++sessions));
    boost::filesystem::create_directories(session);
    try {
      GlimraCorePtr engine = IGlimraCore::Create(TestSupport::MakeInitializer(session + "/", path, &statistics));
      engine->RegisterCoreEventHandler(&core);
      return engine;
    } catch (...) {
      ADD_FAILURE() << path << " does not open: " << boost::current_exception_diagnostic_information();
    }
    return GlimraCorePtr();
  }

  // The codec the engine reads the file with; empty when it does not open.
  std::string CodecOf(const std::string& path) {
    const GlimraCorePtr engine = Open(path);
    if (!engine || !engine->GetFormatCodec()) return std::string();
    EXPECT_EQ(engine->GetVideo()->GetWidth(), WIDTH) << path;
    return engine->GetFormatCodec()->GetCodecId();
  }

  // Saves the engine's picture as the program does: the table completes the engine's settings.
  void Save(const GlimraCorePtr& engine, const std::string& path, const std::string& extension,
            const Property& options) {
    Property settings = engine->GetDefaultSaveSettings();
    settings.SetChildT(IFormatFile::TAG_FILENAME, path);
    ExtensionFormatHelper::SetSaveSettings(extension, settings, options);
    engine->Save(settings);
  }

  TestSupport::TempFolder folder{"formats"};
  TestSupport::NoStatistics statistics;
  TestSupport::CoreHandler core;
  int sessions = 0;
  const int level = FLAGS_minloglevel;
};

}  // namespace

TEST_F(EngineFormats, EveryOfferedExtensionOpensAndEverySaveRowSaves) {
  const DataVideoPtr picture = Picture();
  const std::string png = folder.File("source.png");
  TestSupport::WriteEncoded(png, picture, TestSupport::CodecPreset(IFormatCodecVideo::CODEC_ID_PNG));
  const GlimraCorePtr source = Open(png);
  ASSERT_TRUE(source);

  int openRows = 0;
  int saveRows = 0;
  for (const auto& row : ExtensionFormatHelper::s_imageFormats) {
    const ExtensionFormatHelper::FormatRecord& format = row.second;
    ++openRows;
    saveRows += format.openOnly ? 0 : 1;
    for (const std::string& extension : format.extensions) {
      SCOPED_TRACE(row.first + " ." + extension);
      ASSERT_TRUE(ExtensionFormatHelper::CanOpenFile(QString::fromStdString("in." + extension)));
      const std::string in = folder.File(row.first + "-in." + extension);
      TestSupport::WriteEncoded(in, picture, TestSupport::CodecPreset(format.codecId.c_str()));
      EXPECT_EQ(CodecOf(in), format.codecId);

      if (format.openOnly) {
        EXPECT_EQ(ExtensionFormatHelper::GetCodecForExtension(extension, true), "");
        continue;
      }
      const std::string out = folder.File(row.first + "-out." + extension);
      Save(source, out, extension, Property(Settings::FORMAT_SAVE_SETTINGS));
      ASSERT_TRUE(core.errors.empty());
      EXPECT_EQ(CodecOf(out), format.codecId);
    }
  }
  EXPECT_EQ(openRows, 13);
  EXPECT_EQ(saveRows, 11);
}

TEST_F(EngineFormats, EveryJpegSliderPositionSavesAValidJpeg) {
  const std::string png = folder.File("source.png");
  TestSupport::WriteEncoded(png, Picture(), TestSupport::CodecPreset(IFormatCodecVideo::CODEC_ID_PNG));
  const GlimraCorePtr source = Open(png);
  ASSERT_TRUE(source);

  size_t best = 0;
  size_t smallest = 0;
  for (int position = 1; position <= 32; ++position) {
    SCOPED_TRACE(position);
    Property options(Settings::FORMAT_SAVE_SETTINGS);
    {
      Zentor::Glimra::SaveOptions::Jpeg dialog(options, nullptr, Qt::Dialog);
      dialog.findChild<QSlider*>("sliderQuality")->setValue(position);
      dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    }
    const std::string out = folder.File("quality" + std::to_string(position) + ".jpg");
    Save(source, out, "jpg", options);
    ASSERT_TRUE(core.errors.empty());
    EXPECT_EQ(CodecOf(out), IFormatCodecVideo::CODEC_ID_MJPEG);
    if (position == 1) best = TestSupport::ReadFile(out).size();
    if (position == 32) smallest = TestSupport::ReadFile(out).size();
  }
  // The quality reached the encoder.
  EXPECT_GT(best, smallest);
}
