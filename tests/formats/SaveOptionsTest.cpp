// The JPEG and TIFF save-option dialogs, driven through their controls; the modal entry is
// answered from a timer.
#include "FormatsTestSupport.h"

#include "Customization/ExtensionFormatHelper.h"
#include "GlimraCore/Settings.h"
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
#include <QTimer>
#include <QTranslator>

#include <functional>

using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Core::Property;
using Zentor::Glimra::ExtensionFormatHelper;
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

QString ValueText(QDialog& dialog) { return dialog.findChild<QLabel*>("labelValue")->text(); }

}  // namespace

TEST_F(SaveOptionDialogs, JpegLabelFollowsTheSlider) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
  auto* slider = dialog.findChild<QSlider*>("sliderQuality");
  ASSERT_TRUE(slider);
  EXPECT_EQ(slider->value(), 1);
  EXPECT_EQ(ValueText(dialog), "100%");
  slider->setValue(32);
  EXPECT_EQ(ValueText(dialog), "7%");
  slider->setValue(2);
  EXPECT_EQ(ValueText(dialog), "97%");
}

TEST_F(SaveOptionDialogs, UnchangedJpegAcceptWritesNothing) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  {
    SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
    ClickOk(dialog);
  }
  {
    SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
    auto* slider = dialog.findChild<QSlider*>("sliderQuality");
    slider->setValue(12);
    slider->setValue(1);
    ClickOk(dialog);
  }
  EXPECT_FALSE(Stored().Contains(JPEG_KEY));
  EXPECT_EQ(options.Count(), 0u);

  // Cancel keeps a moved slider out of both.
  SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
  dialog.findChild<QSlider*>("sliderQuality")->setValue(9);
  dialog.reject();
  EXPECT_FALSE(Stored().Contains(JPEG_KEY));
  EXPECT_EQ(options.Count(), 0u);
}

TEST_F(SaveOptionDialogs, ChangedJpegQualityIsStoredAndSetAs64BitInteger) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  {
    SaveOptions::Jpeg dialog(options, nullptr, FLAGS);
    dialog.findChild<QSlider*>("sliderQuality")->setValue(32);
    ClickOk(dialog);
  }
  EXPECT_EQ(Stored().GetInt64(JPEG_KEY, 0), 32);
  ASSERT_TRUE(options.ChildExists(IFormatCodec::TAG_QUALITY));
  EXPECT_EQ(options[IFormatCodec::TAG_QUALITY].GetType(), Zentor::PT_INT64);
  EXPECT_EQ(options[IFormatCodec::TAG_QUALITY].GetInt64(), 32);

  // The next dialog starts from the stored value; one out of range starts at the slider's end.
  SaveOptions::Jpeg next(options, nullptr, FLAGS);
  EXPECT_EQ(next.findChild<QSlider*>("sliderQuality")->value(), 32);
  Stored().SetInt64(JPEG_KEY, 500);
  SaveOptions::Jpeg outOfRange(options, nullptr, FLAGS);
  EXPECT_EQ(ValueText(outOfRange), "7%");
}

TEST_F(SaveOptionDialogs, TiffLzwIsStoredAndSet) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  SaveOptions::Tiff dialog(options, nullptr, FLAGS);
  auto* combo = dialog.findChild<QComboBox*>("comboBoxCompressionAlgorithm");
  ASSERT_TRUE(combo);
  ASSERT_EQ(combo->count(), 4);
  EXPECT_EQ(combo->currentText(), "PackBits");
  combo->setCurrentIndex(combo->findText("LZW"));
  ClickOk(dialog);
  EXPECT_EQ(Stored().GetString(TIFF_KEY, ""), "lzw");
  EXPECT_EQ(options[COMPRESSION].GetString(), "lzw");
}

TEST_F(SaveOptionDialogs, TiffStartsFromTheLoadedFilesCompressionAndShowsNoEntryForAForeignValue) {
  Property options(Settings::FORMAT_SAVE_SETTINGS);
  options.SetChildT(Zentor::Proc::IImageMetadata::TAG_COMPRESSION, std::string("deflate"));
  {
    SaveOptions::Tiff dialog(options, nullptr, FLAGS);
    EXPECT_EQ(dialog.findChild<QComboBox*>("comboBoxCompressionAlgorithm")->currentText(), "ZIP");
  }
  Stored().SetString(TIFF_KEY, "");
  Property plain(Settings::FORMAT_SAVE_SETTINGS);
  SaveOptions::Tiff dialog(plain, nullptr, FLAGS);
  EXPECT_EQ(dialog.findChild<QComboBox*>("comboBoxCompressionAlgorithm")->currentIndex(), -1);
  ClickOk(dialog);
  EXPECT_EQ(plain.Count(), 0u);
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
    EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    auto* combo = dialog->findChild<QComboBox*>("comboBoxCompressionAlgorithm");
    combo->setCurrentIndex(combo->findText("None"));
    ClickOk(*dialog);
  });
  answer.start();
  ExtensionFormatHelper::OpenFormatForSaveOptions(IFormatCodecVideo::CODEC_ID_TIFF, options, nullptr);
  EXPECT_TRUE(answered);
  EXPECT_EQ(options[COMPRESSION].GetString(), "raw");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(SaveOptionDialogs, TypelessOptionsBecomeAGroup) {
  Property options;
  SaveOptions::Tiff dialog(options, nullptr, FLAGS);
  auto* combo = dialog.findChild<QComboBox*>("comboBoxCompressionAlgorithm");
  combo->setCurrentIndex(combo->findText("LZW"));
  ClickOk(dialog);
  EXPECT_EQ(options[COMPRESSION].GetString(), "lzw");
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
  auto* combo = tiff.findChild<QComboBox*>("comboBoxCompressionAlgorithm");
  EXPECT_EQ(combo->currentText(), "~PackBits");
  QApplication::removeTranslator(&translator);
  QApplication::processEvents();
  EXPECT_EQ(tiff.windowTitle(), "TIFF Options");

  combo->setCurrentIndex(2);
  ClickOk(tiff);
  EXPECT_EQ(options[COMPRESSION].GetString(), "lzw");
}
