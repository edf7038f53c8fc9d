// The image-size dialog driven through its controls over a fake engine; OK is clicked without
// running the dialog modally.
#include "support/ProgramTestSupport.h"

#include "GlimraCore/Helpers/ResizeHelper.h"
#include "Proc/Interfaces/IDataVideo.h"
#include "UI/ResizeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionViewItem>

#include <gtest/gtest.h>

using testing::Return;
using testing::ReturnRef;
using Zentor::Core::Property;
using Zentor::Glimra::IGlimraDrawer;
using Zentor::Glimra::ResizeDialog;

namespace {

class ResizeDialogTest : public testing::Test {
 protected:
  // A picture of the size, with the print resolution stored in its step (none when below 0).
  void Picture(uint32_t width, uint32_t height, double storedResolution = -1.0) {
    frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, width, height);
    settings = Property("info");
    if (storedResolution >= 0.0) {
      settings.SetChild(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS)
          .SetChildT(Zentor::Glimra::Helpers::ResizeHelper::RESOLUTION, storedResolution);
    }
    ON_CALL(*engine, GetVideo()).WillByDefault(Return(frame));
    ON_CALL(*engine, GetSettings()).WillByDefault(ReturnRef(settings));
  }

  static QDoubleSpinBox* Spin(ResizeDialog& d, const char* name) { return d.findChild<QDoubleSpinBox*>(name); }
  static QComboBox* Combo(ResizeDialog& d, const char* name) { return d.findChild<QComboBox*>(name); }
  static int ClickOk(ResizeDialog& d) {
    d.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    return d.result();
  }

  boost::intrusive_ptr<TestSupport::NiceFakeEngine> engine{new TestSupport::NiceFakeEngine};
  Zentor::Proc::DataVideoPtr frame;
  Property settings;
};

}  // namespace

TEST_F(ResizeDialogTest, StoredResolutionOr72) {
  for (const auto& stored : {std::make_pair(-1.0, 72.0), std::make_pair(299.9, 299.0), std::make_pair(0.5, 72.0)}) {
    Picture(400, 300, stored.first);
    ResizeDialog dialog(*engine);
    EXPECT_DOUBLE_EQ(stored.second, dialog.GetResolution()) << stored.first;
    EXPECT_DOUBLE_EQ(stored.second, Spin(dialog, "spinBoxResolution")->value()) << stored.first;
    EXPECT_EQ("Current image size is 400 \u00D7 300", dialog.findChild<QLabel*>("labelCurrentSize")->text().toStdString());
  }
}

TEST_F(ResizeDialogTest, NullPictureOpensNothing) {
  ON_CALL(*engine, GetVideo()).WillByDefault(Return(Zentor::Proc::DataVideoPtr()));
  ResizeDialog dialog(*engine);
  EXPECT_EQ(0, dialog.exec());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(1, dialog.GetWidth());
  EXPECT_EQ(1, dialog.GetHeight());
}

TEST_F(ResizeDialogTest, PercentWidthWithProportionsKeptHalvesBoth) {
  Picture(4000, 3000);
  ResizeDialog dialog(*engine);
  Combo(dialog, "comboBoxUOM")->setCurrentIndex(Zentor::Glimra::Settings::SizeUOM::PERCENTS);
  Spin(dialog, "spinBoxWidth")->setValue(50.0);
  EXPECT_DOUBLE_EQ(50.0, Spin(dialog, "spinBoxHeight")->value());
  EXPECT_EQ(2000, dialog.GetWidth());
  EXPECT_EQ(1500, dialog.GetHeight());
  EXPECT_EQ(ResizeDialog::RESIZED, ClickOk(dialog));
}

TEST_F(ResizeDialogTest, SizeLimits) {
  Picture(4000, 3000);
  ResizeDialog dialog(*engine);
  EXPECT_DOUBLE_EQ(10000.0, Spin(dialog, "spinBoxWidth")->maximum());
  EXPECT_DOUBLE_EQ(7500.0, Spin(dialog, "spinBoxHeight")->maximum());
  dialog.findChild<QCheckBox*>("checkBoxScale")->setChecked(false);
  EXPECT_DOUBLE_EQ(10000.0, Spin(dialog, "spinBoxHeight")->maximum());
  dialog.findChild<QCheckBox*>("checkBoxScale")->setChecked(true);

  Spin(dialog, "spinBoxResolution")->setValue(300.0);
  Combo(dialog, "comboBoxUOM")->setCurrentIndex(Zentor::Glimra::Settings::SizeUOM::INCHES);
  EXPECT_DOUBLE_EQ(33.333, Spin(dialog, "spinBoxWidth")->maximum());
  EXPECT_DOUBLE_EQ(25.0, Spin(dialog, "spinBoxHeight")->maximum());
  EXPECT_EQ(4000, dialog.GetWidth());
}

TEST_F(ResizeDialogTest, A4PresetFitsTheLandscapePictureInside) {
  Picture(4000, 3000);
  ResizeDialog dialog(*engine);
  QComboBox* fitInto = Combo(dialog, "comboBoxFitInto");
  ASSERT_EQ(36, fitInto->count());
  EXPECT_EQ("A4 (29.7 \u00D7 21 cm)", fitInto->itemText(30).toStdString());
  fitInto->setCurrentIndex(30);

  EXPECT_EQ(3307, dialog.GetWidth());
  EXPECT_EQ(2480, dialog.GetHeight());
  EXPECT_DOUBLE_EQ(300.0, dialog.GetResolution());
  EXPECT_EQ(Zentor::Glimra::Settings::SizeUOM::CM, dialog.GetSizeUOM());
  EXPECT_EQ(Zentor::Glimra::Settings::SizeUOM::CM, Combo(dialog, "comboBoxUOM")->currentIndex());
  EXPECT_DOUBLE_EQ(28.0, Spin(dialog, "spinBoxWidth")->value());
  EXPECT_DOUBLE_EQ(21.0, Spin(dialog, "spinBoxHeight")->value());
  EXPECT_DOUBLE_EQ(300.0, Spin(dialog, "spinBoxResolution")->value());
  EXPECT_EQ(ResizeDialog::RESIZED | ResizeDialog::RESOLUTION_CHANGED, ClickOk(dialog));
}

TEST_F(ResizeDialogTest, ResolutionChangeKeepsPrintSizeInCmAndPixelSizeInPixels) {
  Picture(4000, 3000, 300.0);
  {
    ResizeDialog dialog(*engine);
    Combo(dialog, "comboBoxUOM")->setCurrentIndex(Zentor::Glimra::Settings::SizeUOM::CM);
    const double widthCm = Spin(dialog, "spinBoxWidth")->value();
    Spin(dialog, "spinBoxResolution")->setValue(150.0);
    EXPECT_EQ(2000, dialog.GetWidth());
    EXPECT_EQ(1500, dialog.GetHeight());
    EXPECT_DOUBLE_EQ(widthCm, Spin(dialog, "spinBoxWidth")->value());
    EXPECT_EQ(ResizeDialog::RESIZED | ResizeDialog::RESOLUTION_CHANGED, ClickOk(dialog));
  }
  {
    ResizeDialog dialog(*engine);
    Spin(dialog, "spinBoxResolution")->setValue(150.0);
    EXPECT_EQ(4000, dialog.GetWidth());
    EXPECT_EQ(ResizeDialog::RESOLUTION_CHANGED, ClickOk(dialog));
  }
}

TEST_F(ResizeDialogTest, ResolutionUnitRoundTripIsNotClampedByTheOldUnitsLimit) {
  Picture(4000, 3000, 300.0);
  ResizeDialog dialog(*engine);
  Combo(dialog, "comboBoxUOM")->setCurrentIndex(Zentor::Glimra::Settings::SizeUOM::CM);
  QDoubleSpinBox* resolution = Spin(dialog, "spinBoxResolution");
  EXPECT_DOUBLE_EQ(750.0, resolution->maximum());
  Combo(dialog, "comboBoxResolution")->setCurrentIndex(Zentor::Glimra::Settings::ResolutionUOM::PPC);
  EXPECT_NEAR(118.110, resolution->value(), 0.001);
  EXPECT_NEAR(295.276, resolution->maximum(), 0.001);
  Combo(dialog, "comboBoxResolution")->setCurrentIndex(Zentor::Glimra::Settings::ResolutionUOM::PPI);
  EXPECT_DOUBLE_EQ(300.0, resolution->value());
  EXPECT_DOUBLE_EQ(750.0, resolution->maximum());
  EXPECT_EQ(0, ClickOk(dialog));
}

TEST_F(ResizeDialogTest, SeparatorRowsAreDisabledLines) {
  Picture(300, 400);
  ResizeDialog dialog(*engine);
  QComboBox* fitInto = Combo(dialog, "comboBoxFitInto");
  EXPECT_EQ("480 \u00D7 640 px", fitInto->itemText(1).toStdString());
  EXPECT_EQ("A4 (21 \u00D7 29.7 cm)", fitInto->itemText(30).toStdString());
  for (int row = 0; row < fitInto->count(); ++row) {
    const QModelIndex index = fitInto->model()->index(row, 0);
    const bool separator = row == 10 || row == 19 || row == 26 || row == 31;
    EXPECT_EQ(!separator, bool(index.flags() & Qt::ItemIsEnabled)) << row;
    if (separator) {
      EXPECT_EQ("-", index.data().toString().toStdString());
      EXPECT_EQ(11, fitInto->itemDelegate()->sizeHint(QStyleOptionViewItem(), index).height());
    }
  }
}

TEST_F(ResizeDialogTest, OkWithoutChangeReturnsZeroAndReportsRejected) {
  Picture(4000, 3000);
  ResizeDialog dialog(*engine);
  QSignalSpy rejected(&dialog, &QDialog::rejected);
  EXPECT_EQ(0, ClickOk(dialog));
  EXPECT_EQ(1, rejected.count());
  EXPECT_EQ(4000, dialog.GetWidth());
  EXPECT_EQ(3000, dialog.GetHeight());
}

TEST_F(ResizeDialogTest, CheckBoxLabelsSitNextToTheirBoxes) {
  Picture(400, 300);
  ResizeDialog dialog(*engine);
  dialog.show();
  for (const auto& [box, label] : {std::make_pair("checkBoxScale", "label"), std::make_pair("checkBoxResample", "label_2")}) {
    const QWidget* check = dialog.findChild<QCheckBox*>(box);
    const QWidget* text = dialog.findChild<QLabel*>(label);
    // A box without text draws its mark at its left edge, however wide the layout makes it.
    const int gap = text->geometry().left() - (check->geometry().left() + check->sizeHint().width());
    EXPECT_GE(gap, 0) << label;
    EXPECT_LE(gap, 10) << label;
  }
}

TEST_F(ResizeDialogTest, NumbersFollowTheLanguage) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  Picture(4000, 3000, 300.0);
  ResizeDialog dialog(*engine);
  QLocale::setDefault(before);
  EXPECT_EQ("300,000", Spin(dialog, "spinBoxResolution")->text().toStdString());
  EXPECT_EQ("A4 (29,7 \u00D7 21 cm)", Combo(dialog, "comboBoxFitInto")->itemText(30).toStdString());
  EXPECT_EQ("1024 \u00D7 768 px", Combo(dialog, "comboBoxFitInto")->itemText(3).toStdString());
  Combo(dialog, "comboBoxUOM")->setCurrentIndex(Zentor::Glimra::Settings::SizeUOM::PERCENTS);
  EXPECT_EQ("100,00", Spin(dialog, "spinBoxWidth")->text().toStdString());
}
