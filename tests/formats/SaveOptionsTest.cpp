// The JPEG and TIFF save-option dialogs, driven through their controls; the modal entry is
// answered from a timer.
#include "FormatsTestSupport.h"
#include "support/EngineSupport.h"

#include "Customization/ExtensionFormatHelper.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LookAndFeelManager.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "UI/SaveOptions/Jpeg.h"
#include "UI/SaveOptions/Tiff.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using Zentor::Conf::IFormatCodec;
using Zentor::Core::Property;
namespace SaveOptions = Zentor::Glimra::SaveOptions;
namespace Settings = Zentor::Glimra::Settings;

namespace {

const char* const JPEG_KEY = "FormatSaveSettings/JPEGquality";
const char* const TIFF_KEY = "FormatSaveSettings/TIFFcompression_algo";
const std::string COMPRESSION = Settings::SaveOptions::Tiff::TAG_COMPRESSION_ALGORITHM;
const Qt::WindowFlags FLAGS = Qt::Dialog;

class SaveOptionDialogs : public FormatsTest::FreshSettings {};

// Marks every text of the dialogs' own contexts, as a second language would change them.
class MarkingTranslator : public QTranslator {
 public:
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* text, const char*, int) const override {
    const QString name(context);
    return name == "Jpeg" || name == "Tiff" ? QStringLiteral("~") + text : QString();
  }
};

void ClickOk(QDialog& dialog) {
  QPushButton* ok = dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->property("type").toString(), "OK");
  ok->click();
}

QSlider* Slider(QDialog& dialog) { return dialog.findChild<QSlider*>("sliderQuality"); }
QComboBox* Combo(QDialog& dialog) { return dialog.findChild<QComboBox*>("comboBoxCompressionAlgorithm"); }
QString ValueText(QDialog& dialog) { return dialog.findChild<QLabel*>("labelValue")->text(); }

}  // namespace

TEST_F(SaveOptionDialogs, JpegShowsPercentAndAnUnchangedAcceptWritesNothing) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  {
    SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
    EXPECT_GE(dialog.width(), 310) << "the form's least width";
    EXPECT_EQ(Slider(dialog)->value(), 1);
    EXPECT_EQ(ValueText(dialog), "100%");
    Slider(dialog)->setValue(32);
    EXPECT_EQ(ValueText(dialog), "7%");
    // The arrow keys move towards the side they point to: "High" is on the right.
    QTest::keyClick(Slider(dialog), Qt::Key_Right);
    EXPECT_EQ(ValueText(dialog), "10%");
    QTest::keyClick(Slider(dialog), Qt::Key_Left);
    EXPECT_EQ(ValueText(dialog), "7%");
    Slider(dialog)->setValue(1);  // away and back
    ClickOk(dialog);
  }
  {
    SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
    Slider(dialog)->setValue(9);
    dialog.reject();
  }
  EXPECT_FALSE(Stored().Contains(JPEG_KEY));
  EXPECT_EQ(options.Count(), 0u);
}

TEST_F(SaveOptionDialogs, ChangedJpegQualityIsStoredAndSetAs64BitInteger) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  {
    SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
    Slider(dialog)->setValue(32);
    ClickOk(dialog);
  }
  EXPECT_EQ(Stored().GetInt64(JPEG_KEY, 0), 32);
  EXPECT_EQ(options[IFormatCodec::TAG_QUALITY].GetType(), Zentor::PT_INT64);
  EXPECT_EQ(options[IFormatCodec::TAG_QUALITY].GetInt64(), 32);
  SaveOptions::Jpeg next(options, nullptr, FLAGS);
  EXPECT_EQ(Slider(next)->value(), 32);

  // A stored value out of the slider's range starts at the slider's end.
  Stored().SetInt64(JPEG_KEY, 500);
  SaveOptions::Jpeg outOfRange(options, nullptr, FLAGS);
  EXPECT_EQ(ValueText(outOfRange), "7%");
}

TEST_F(SaveOptionDialogs, AStoredJpegQualityOutOfRangeNeverReachesASave) {
  using Zentor::Glimra::ExtensionFormatHelper;
  Stored().SetInt64(JPEG_KEY, 1LL << 40);
  TestSupport::LogCapture log(google::GLOG_WARNING);
  Property jpeg("save");
  ExtensionFormatHelper::SetSaveSettings("jpg", jpeg, Property(Settings::FORMAT_SAVE_SETTINGS));
  EXPECT_EQ(jpeg[Settings::FORMAT_SAVE_SETTINGS_COMMON][IFormatCodec::TAG_QUALITY].GetInt64(), 32);
  EXPECT_EQ(log.Texts(google::GLOG_WARNING).size(), 1u);
}

TEST_F(SaveOptionDialogs, TiffLzwIsStoredAndSet) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  SaveOptions::Tiff dialog(options, nullptr, FLAGS);
  EXPECT_GE(dialog.width(), 310) << "the form's least width";
  ASSERT_EQ(Combo(dialog)->count(), 4);
  EXPECT_EQ(Combo(dialog)->currentText(), "PackBits");
  Combo(dialog)->setCurrentIndex(Combo(dialog)->findText("LZW"));
  ClickOk(dialog);
  EXPECT_EQ(Stored().GetString(TIFF_KEY, ""), "lzw");
  EXPECT_EQ(options[COMPRESSION].GetString(), "lzw");
}

TEST_F(SaveOptionDialogs, TiffStartsFromTheLoadedFileAndShowsNoEntryForAForeignValue) {
  Property loaded(Settings::FORMAT_SAVE_SETTINGS);
  loaded.SetChildT(Zentor::Proc::IImageMetadata::TAG_COMPRESSION, std::string("deflate"));
  SaveOptions::Tiff fromFile(loaded, nullptr, FLAGS);
  EXPECT_EQ(Combo(fromFile)->currentText(), "ZIP");

  Stored().SetString(TIFF_KEY, "");
  Property options;  // typeless options become a group when a value arrives
  SaveOptions::Tiff dialog(options, nullptr, FLAGS);
  EXPECT_EQ(Combo(dialog)->currentIndex(), -1);
  Combo(dialog)->setCurrentIndex(Combo(dialog)->findText("None"));
  ClickOk(dialog);
  EXPECT_EQ(options[COMPRESSION].GetString(), "raw");
}

TEST_F(SaveOptionDialogs, TableOpensTheTiffDialogModallyOnTheOptions) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  bool answered = false;
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    answered = true;
    EXPECT_EQ(dialog->windowTitle(), "TIFF Options");
    Combo(*dialog)->setCurrentIndex(Combo(*dialog)->findText("ZIP"));
    ClickOk(*dialog);
  });
  answer.start();
  Zentor::Glimra::ExtensionFormatHelper::OpenFormatForSaveOptions(Zentor::Conf::IFormatCodecVideo::CODEC_ID_TIFF,
                                                                  options, nullptr);
  EXPECT_TRUE(answered);
  EXPECT_EQ(options[COMPRESSION].GetString(), "deflate");
}

TEST_F(SaveOptionDialogs, JpegPercentageFollowsTheLanguage) {
  Zentor::App::LookAndFeelManager german(Zentor::App::GetPathToResources(), {"qt", "Glimra"});
  german.Initialize("de", Zentor::App::ILookAndFeelManager::themeDefault);
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
  EXPECT_EQ(ValueText(dialog), "100 %");
  german.SetCurrentLocale("en");
}

TEST_F(SaveOptionDialogs, LanguageChangeRetranslatesAndKeepsValues) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  SaveOptions::Jpeg jpeg(options, nullptr, FLAGS);
  SaveOptions::Tiff tiff(options, nullptr, FLAGS);
  MarkingTranslator translator;
  QApplication::installTranslator(&translator);
  QApplication::processEvents();
  EXPECT_EQ(jpeg.windowTitle(), "~JPEG Options");
  EXPECT_EQ(jpeg.findChild<QLabel*>("labelQualityHigh")->text(), "~High");
  EXPECT_EQ(ValueText(jpeg), "100%");
  EXPECT_EQ(Combo(tiff)->currentText(), "~PackBits");
  QApplication::removeTranslator(&translator);
  QApplication::processEvents();
  EXPECT_EQ(tiff.windowTitle(), "TIFF Options");

  Combo(tiff)->setCurrentIndex(2);
  ClickOk(tiff);
  EXPECT_EQ(options[COMPRESSION].GetString(), "lzw");
}
