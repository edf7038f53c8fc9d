// The one-click effects panel over a fake engine: the presets it sends, the image-size flow and
// its step list, and its failure paths.
#include "EffectsPanelSupport.h"
#include "support/ProgramTestSupport.h"

#include "Engine/ErrorPath.h"
#include "Engine/PaintTools.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IDataVideo.h"
#include "Proc/Interfaces/IEffectMagicEnhance.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"
#include "UI/SimpleEffectsWidget.h"

#include <QAbstractButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using testing::_;
using testing::Return;
using Zentor::Core::Property;
using Zentor::Glimra::IGlimraDrawer;
using Zentor::Glimra::IStatisticsEventHandler;
using Zentor::Glimra::PaintTools;
using Zentor::Glimra::SimpleEffectsWidget;
using Zentor::Proc::IResize;
using namespace EffectsPanelTest;

namespace {

struct EffectsPanelFakeTest : testing::Test {
  EffectsPanelFakeTest() {
    ON_CALL(*engine, ApplyEffect(_, _)).WillByDefault([this](const Property& preset, bool) {
      presets.push_back(preset);
    });
    panel.SetPaintTools(tools);
    QObject::connect(&panel, &SimpleEffectsWidget::effectCanceled, &panel,
                     [this](const std::string& effect) { canceled.push_back(effect); });
  }
  ~EffectsPanelFakeTest() override {
    delete tools.data();
    Zentor::Glimra::ErrorPath::SetHandler(nullptr);
  }

  void Picture(uint32_t width, uint32_t height) {
    // One bit a pixel keeps the large pictures small.
    ON_CALL(*engine, GetVideo())
        .WillByDefault(Return(Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_MONOBLACK, width, height)));
  }
  static std::vector<long long> Size(const Property& preset) {
    return {preset[IResize::WIDTH].GetInt64(), preset[IResize::HEIGHT].GetInt64()};
  }
  static bool Flag(const Property& preset, const std::string& key) {
    return preset.ChildExists(key) && preset[key].GetBool();
  }

  boost::intrusive_ptr<TestSupport::NiceFakeEngine> engine{new TestSupport::NiceFakeEngine};
  QPointer<PaintTools> tools{new PaintTools(*engine)};
  SimpleEffectsWidget panel;
  std::vector<Property> presets;
  std::vector<std::string> canceled;
};

}  // namespace

TEST_F(EffectsPanelFakeTest, OneClickPresets) {
  panel.GetRotateControl()->click();
  panel.GetRotateControl()->click();
  panel.GetVerticalFlipControl()->click();
  panel.GetHorizontalFlipControl()->click();
  panel.GetMagicEnhanceControl()->click();
  ASSERT_EQ(5u, presets.size());

  using Zentor::Proc::IFlip;
  using Zentor::Proc::IRotate;
  for (int i : {0, 1}) {
    EXPECT_EQ(IRotate::CLASS_ID, presets[i].GetName());
    EXPECT_EQ(IRotate::CLASS_ID, presets[i][Zentor::Conf::IPreset::KEY_CLASS_ID].GetString());
    EXPECT_EQ(90, presets[i][IRotate::ANGLE].GetInt64()) << "each click turns once, no accumulation";
  }
  EXPECT_EQ(IFlip::CLASS_ID, presets[2][Zentor::Conf::IPreset::KEY_CLASS_ID].GetString());
  EXPECT_TRUE(presets[2][IFlip::MODE_HORIZ].GetBool());
  EXPECT_FALSE(presets[2][IFlip::MODE_VERT].GetBool());
  EXPECT_FALSE(presets[3][IFlip::MODE_HORIZ].GetBool());
  EXPECT_TRUE(presets[3][IFlip::MODE_VERT].GetBool());

  using Zentor::Proc::IEffectMagicEnhance;
  const Property& magic = presets[4];
  EXPECT_EQ(IEffectMagicEnhance::CLASS_ID, magic[Zentor::Conf::IPreset::KEY_CLASS_ID].GetString());
  EXPECT_TRUE(magic[IEffectMagicEnhance::AUTO_CONTRAST].GetBool());
  EXPECT_TRUE(magic[IEffectMagicEnhance::AUTO_SATURATION].GetBool());
  EXPECT_TRUE(magic[IEffectMagicEnhance::AUTO_WHITE_BALANCE].GetBool());
  EXPECT_EQ(30, magic[IEffectMagicEnhance::AUTO_WHITE_STRENGTH].GetInt64());
}

TEST_F(EffectsPanelFakeTest, OneStepResizes) {
  Picture(640, 480);
  AnswerResizeDialog(PixelSize(301, 201), QDialogButtonBox::Ok);
  panel.GetResizeImageControl()->click();
  ASSERT_EQ(1u, presets.size());
  EXPECT_EQ(IResize::CLASS_ID, presets[0].GetName());
  EXPECT_EQ((std::vector<long long>{302, 202}), Size(presets[0]));
  EXPECT_FALSE(Flag(presets[0], IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET));
  EXPECT_FALSE(Flag(presets[0], IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS));
  EXPECT_FALSE(presets[0].ChildExists(Zentor::Glimra::Helpers::ResizeHelper::RESOLUTION));
  EXPECT_FALSE(presets[0][IStatisticsEventHandler::KEY_RESIZE_SAVE_PROPORTION].GetBool());
  EXPECT_EQ(0, presets[0][IStatisticsEventHandler::KEY_RESIZE_SIZE_UOM].GetInt64());
  EXPECT_TRUE(canceled.empty());

  // A new resolution alone keeps the size.
  AnswerResizeDialog(
      [](ResizeDialog& dialog) { dialog.findChild<QDoubleSpinBox*>("spinBoxResolution")->setValue(300.0); },
      QDialogButtonBox::Ok);
  panel.GetResizeImageControl()->click();
  ASSERT_EQ(2u, presets.size());
  EXPECT_EQ((std::vector<long long>{640, 480}), Size(presets[1]));
  EXPECT_DOUBLE_EQ(300.0, presets[1][Zentor::Glimra::Helpers::ResizeHelper::RESOLUTION].GetDouble());

  // Also on odd sides, which a resize would make even.
  Picture(1601, 1201);
  AnswerResizeDialog(
      [](ResizeDialog& dialog) { dialog.findChild<QDoubleSpinBox*>("spinBoxResolution")->setValue(300.0); },
      QDialogButtonBox::Ok);
  panel.GetResizeImageControl()->click();
  ASSERT_EQ(3u, presets.size());
  EXPECT_EQ((std::vector<long long>{1601, 1201}), Size(presets[2]));
}

TEST_F(EffectsPanelFakeTest, StrongReductionIsOneUndoStepInTwoRuns) {
  Picture(10000, 10000);
  AnswerResizeDialog(PixelSize(100, 100), QDialogButtonBox::Ok);
  panel.GetResizeImageControl()->click();
  ASSERT_EQ(2u, presets.size());
  EXPECT_EQ((std::vector<long long>{160, 160}), Size(presets[0]));
  EXPECT_TRUE(Flag(presets[0], IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS));
  EXPECT_FALSE(Flag(presets[0], IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET));
  EXPECT_EQ((std::vector<long long>{100, 100}), Size(presets[1]));
  EXPECT_TRUE(Flag(presets[1], IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET));
  EXPECT_FALSE(Flag(presets[1], IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS));
}

TEST_F(EffectsPanelFakeTest, UnchangedOkAndCancelEachReportOneCancel) {
  Picture(640, 480);
  for (auto button : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) {
    canceled.clear();
    AnswerResizeDialog(nullptr, button);
    panel.GetResizeImageControl()->click();
    EXPECT_TRUE(presets.empty());
    EXPECT_EQ(std::vector<std::string>{Zentor::Proc::SettingsResizer::CLASS_ID}, canceled);
  }
}

TEST_F(EffectsPanelFakeTest, NullPictureSkipsTheResize) {
  ON_CALL(*engine, GetVideo()).WillByDefault(Return(Zentor::Proc::DataVideoPtr()));
  panel.GetResizeImageControl()->click();
  EXPECT_TRUE(presets.empty());
  EXPECT_EQ(nullptr, QApplication::overrideCursor());
}

TEST(EffectsPanelSteps, EveryTargetEnds) {
  using Steps = std::vector<QSize>;
  EXPECT_EQ((Steps{{1280, 960}}), SimpleEffectsWidget::ResizeSteps({640, 480}, {1280, 960}));
  EXPECT_EQ((Steps{{2, 2}}), SimpleEffectsWidget::ResizeSteps({2, 2}, {0, 0}));
  for (QSize from : {QSize(10000, 10000), QSize(1, 100000)}) {
    for (QSize target : {QSize(0, 0), QSize(1, 1), QSize(-5, 0)}) {
      const Steps steps = SimpleEffectsWidget::ResizeSteps(from, target);
      ASSERT_FALSE(steps.empty());
      EXPECT_LE(steps.size(), 3u);
      EXPECT_EQ(QSize(2, 2), steps.back());
    }
  }
}

TEST_F(EffectsPanelFakeTest, FailingEffectRestoresTheCursor) {
  int reported = 0;
  Zentor::Glimra::ErrorPath::SetHandler([&reported](boost::exception_ptr) { ++reported; });
  ON_CALL(*engine, ApplyEffect(_, _)).WillByDefault([](const Property&, bool) {
    throw std::runtime_error("effect failed");
  });
  panel.GetRotateControl()->click();
  EXPECT_EQ(nullptr, QApplication::overrideCursor());
  Picture(640, 480);
  AnswerResizeDialog(PixelSize(320, 240), QDialogButtonBox::Ok);
  panel.GetResizeImageControl()->click();
  EXPECT_EQ(nullptr, QApplication::overrideCursor());
  EXPECT_EQ(2, reported);
}

TEST_F(EffectsPanelFakeTest, CropButtonTogglesCropMode) {
  QToolButton brush;
  brush.setCheckable(true);
  tools->AddControlToGroup(&brush, PaintTools::BRUSH);
  QObject::connect(&brush, &QToolButton::toggled, tools, [this](bool on) {
    if (on) tools->BrushModeOn(25);
  });
  brush.click();
  panel.GetCropImageControl()->click();
  EXPECT_EQ(PaintTools::CROP, tools->GetActiveMode());
  EXPECT_TRUE(panel.GetCropImageControl()->isChecked());
  panel.GetCropImageControl()->click();
  EXPECT_EQ(PaintTools::BRUSH, tools->GetActiveMode());
  EXPECT_TRUE(brush.isChecked());
}
