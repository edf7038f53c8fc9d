#include "support/ProgramTestSupport.h"

#include "Engine/PaintTools.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "UI/LassoSelectionWidget.h"
#include "UI/ToolsWidget.h"

#include <QAction>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using testing::_;
using testing::Matcher;
using testing::Return;
using testing::SaveArg;
using Zentor::Core::Property;
using Zentor::Glimra::IGlimraDrawer;
using Zentor::Glimra::LassoSelectionWidget;
using Zentor::Glimra::PaintTools;
using Zentor::Glimra::ToolsWidget;

static void RegisterProgramResources() { Q_INIT_RESOURCE(glimra); }

namespace {

const char* const SLIDERS[] = {"diameterSlider", "wandSlider", "blurSlider", "sensitivitySlider"};

struct ToolsPanelTest : testing::Test {
  ToolsPanelTest() {
    for (const char* slider : SLIDERS) Zentor::App::AppSettings().Remove(std::string(slider) + "Value");
    ON_CALL(*engine, SetBrush(Matcher<const Property&>(_))).WillByDefault([this](const Property& brush) {
      ++brushes;
      width = brush[Zentor::Conf::IFormatCodecVideo::TAG_WIDTH].GetInt64();
    });
    ON_CALL(*engine, PaintInit(_)).WillByDefault([this](const Property& paint) {
      paintType = paint[IGlimraDrawer::TAG_PAINT_TYPE].GetString();
    });
  }

  ~ToolsPanelTest() override { delete tools.data(); }

  std::unique_ptr<ToolsWidget> Panel() {
    auto panel = std::make_unique<ToolsWidget>();
    panel->SetPaintTools(tools);
    TestSupport::Drain();
    return panel;
  }
  template <typename T>
  static T* Find(const QWidget& panel, const char* name) {
    return panel.findChild<T*>(QLatin1String(name));
  }
  static void Click(const QWidget& panel, const char* button) { Find<QToolButton>(panel, button)->click(); }
  static QString Text(const QWidget& panel, const char* label) { return Find<QLabel>(panel, label)->text(); }

  boost::intrusive_ptr<TestSupport::NiceFakeEngine> engine{new TestSupport::NiceFakeEngine};
  QPointer<PaintTools> tools{new PaintTools(*engine)};
  int brushes = 0;
  long long width = 0;
  std::string paintType;
};

}  // namespace

TEST_F(ToolsPanelTest, SlidersStartAtTheirDefaultsAndClampStoredValues) {
  {
    ToolsWidget panel;
    EXPECT_EQ(25, Find<QSlider>(panel, "diameterSlider")->value());
    EXPECT_EQ(35, Find<QSlider>(panel, "wandSlider")->value());
    EXPECT_EQ(30, Find<QSlider>(panel, "blurSlider")->value());
    EXPECT_EQ(15, Find<QSlider>(panel, "sensitivitySlider")->value());
    EXPECT_EQ("15", Text(panel, "sensitivityLabel"));
  }
  Zentor::App::AppSettings().SetInt64("diameterSliderValue", 500);
  Zentor::App::AppSettings().SetInt64("wandSliderValue", 1LL << 40);
  {
    TestSupport::LogCapture log(google::GLOG_WARNING);
    ToolsWidget panel;
    EXPECT_EQ(log.Texts(google::GLOG_WARNING).size(), 2u);
    EXPECT_EQ(100, panel.GetBrushSize());
    EXPECT_EQ("100", Text(panel, "sizeLabel"));
    EXPECT_EQ(100, panel.GetWandDifference());
  }
  EXPECT_EQ(100, Zentor::App::AppSettings().GetInt64("diameterSliderValue", 0));
}

TEST_F(ToolsPanelTest, EachToolShowsItsFramesAndSizeName) {
  auto panel = Panel();
  const auto shown = [&panel](const char* frame) { return Find<QWidget>(*panel, frame)->isVisibleTo(panel.get()); };
  EXPECT_EQ(IGlimraDrawer::SEL_BRUSH, paintType);
  EXPECT_EQ("Brush size:", Text(*panel, "diameterLabel"));
  EXPECT_TRUE(shown("diameterFrame") && !shown("wandFrame") && !shown("blurFrame"));

  Click(*panel, "cloneButton");
  EXPECT_EQ(IGlimraDrawer::PAINT_CLONE, paintType);
  EXPECT_EQ("Stamp size:", Text(*panel, "diameterLabel"));
  EXPECT_TRUE(shown("diameterFrame") && !shown("wandFrame") && shown("blurFrame"));

  Click(*panel, "wandButton");
  EXPECT_EQ(IGlimraDrawer::SEL_WAND, paintType);
  EXPECT_EQ(35, width);
  EXPECT_TRUE(!shown("diameterFrame") && shown("wandFrame") && !shown("blurFrame"));

  Click(*panel, "lassoButton");
  EXPECT_EQ(IGlimraDrawer::SEL_LASSO, paintType);
  EXPECT_TRUE(!shown("diameterFrame") && !shown("wandFrame") && !shown("blurFrame"));

  Click(*panel, "eraseButton");
  EXPECT_EQ(IGlimraDrawer::SEL_ERASER, paintType);
  EXPECT_EQ("Eraser size:", Text(*panel, "diameterLabel"));
  // The retranslation resets the label to "Diameter"; the mode's name must come back.
  QEvent languageChange(QEvent::LanguageChange);
  QCoreApplication::sendEvent(panel.get(), &languageChange);
  EXPECT_EQ("Eraser size:", Text(*panel, "diameterLabel"));
}

TEST_F(ToolsPanelTest, AHeldSliderSendsTheBrushOnceOnRelease) {
  auto panel = Panel();
  auto* diameter = Find<QSlider>(*panel, "diameterSlider");
  const int before = brushes;
  diameter->setSliderDown(true);
  diameter->setValue(40);
  diameter->setValue(60);
  EXPECT_EQ("60", Text(*panel, "sizeLabel"));
  EXPECT_EQ(before, brushes);
  diameter->setSliderDown(false);
  EXPECT_EQ(before + 1, brushes);
  EXPECT_EQ(60, width);

  // A change without a held handle (keyboard, wheel) goes at once.
  diameter->setValue(70);
  EXPECT_EQ(before + 2, brushes);
  EXPECT_EQ(70, width);
}

TEST_F(ToolsPanelTest, DrawerEventsDriveStartAndClearAndStartSendsTheInpaintingPreset) {
  auto panel = Panel();
  QAction start;
  QAction clear;
  panel->SetStartEraseUIAction(&start);
  panel->SetClearSelectionUIAction(&clear);
  auto* startButton = Find<QToolButton>(*panel, "startButton");
  auto* clearButton = Find<QToolButton>(*panel, "clearSelectionButton");

  ON_CALL(*engine, HasPaintedArea()).WillByDefault(Return(true));
  panel->HandleEvent();
  EXPECT_TRUE(TestSupport::WaitFor([&] { return clearButton->isEnabled(); }));
  EXPECT_TRUE(startButton->isEnabled() && start.isEnabled() && clear.isEnabled());

  ON_CALL(*engine, HasPaintedArea()).WillByDefault(Return(false));
  panel->HandleEvent();
  EXPECT_TRUE(TestSupport::WaitFor([&] { return !clearButton->isEnabled(); }));
  EXPECT_FALSE(startButton->isEnabled() || start.isEnabled() || clear.isEnabled());

  Property preset;
  EXPECT_CALL(*engine, ApplyEffect(_, false)).WillOnce(SaveArg<0>(&preset));
  Find<QSlider>(*panel, "sensitivitySlider")->setValue(40);
  panel->StartButtonClicked();
  EXPECT_EQ(Zentor::Proc::IEffectInpaint::CLASS_ID, preset.GetName());
  EXPECT_EQ(Zentor::Proc::IEffectInpaint::CLASS_ID, preset[Zentor::Conf::IPreset::KEY_CLASS_ID].GetString());
  EXPECT_DOUBLE_EQ(40.0, preset[Zentor::Proc::IEffectInpaint::LOOKUP_SIZE].GetDouble());
}

TEST_F(ToolsPanelTest, AnEventQueuedForDeadPaintToolsIsDropped) {
  auto panel = Panel();
  panel->HandleEvent();
  delete tools.data();
  EXPECT_CALL(*engine, HasPaintedArea()).Times(0);
  EXPECT_CALL(*engine, HasChange()).Times(0);
  TestSupport::Drain();
  // The panel stays usable and inert.
  panel->StartButtonClicked();
  Click(*panel, "cloneButton");
}

TEST_F(ToolsPanelTest, ThePolygonChoiceChecksTheLassoButtonAndStays) {
  auto panel = Panel();
  panel->show();
  auto* lasso = Find<QToolButton>(*panel, "lassoButton");
  auto* popup = panel->findChild<LassoSelectionWidget*>();
  Click(*panel, "lassoSelector");
  EXPECT_TRUE(popup->isVisible());

  popup->GetPolygonControl()->click();
  EXPECT_FALSE(popup->isVisible());
  EXPECT_TRUE(lasso->isChecked());
  EXPECT_EQ("Polygonal Lasso", lasso->toolTip());
  EXPECT_EQ(IGlimraDrawer::SEL_POLYGON, paintType);

  Click(*panel, "brushButton");
  Click(*panel, "lassoButton");
  EXPECT_EQ(IGlimraDrawer::SEL_POLYGON, paintType);

  // Choosing the entry that is already chosen still brings its tool back.
  Click(*panel, "brushButton");
  popup->GetPolygonControl()->click();
  EXPECT_TRUE(lasso->isChecked());
  EXPECT_EQ(IGlimraDrawer::SEL_POLYGON, paintType);

  Click(*panel, "lassoSelector");
  panel->resize(panel->width(), panel->height() + 10);
  EXPECT_FALSE(popup->isVisible());
}

QImage Picture(const QIcon& icon) { return icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32); }
QImage Picture(const char* resource) { return Picture(QIcon(QString::fromLatin1(resource))); }

TEST_F(ToolsPanelTest, TheLassoButtonShowsTheChosenKindUnderTheDefaultTheme) {
  RegisterProgramResources();
  QFile sheet(QString::fromStdString(Zentor::App::GetPathToResources()) + "/themes/default.qss");
  ASSERT_TRUE(sheet.open(QIODevice::ReadOnly));
  auto panel = Panel();
  panel->setStyleSheet(QString::fromUtf8(sheet.readAll()));
  panel->show();
  auto* lasso = Find<QToolButton>(*panel, "lassoButton");
  auto* popup = panel->findChild<LassoSelectionWidget*>();
  const QImage lassoIcon = Picture(":/Glimra/icons/lasso.png");
  const QImage polygonIcon = Picture(":/Glimra/icons/polygon.png");
  ASSERT_NE(lassoIcon, polygonIcon);
  EXPECT_EQ(Picture(lasso->icon()), lassoIcon);

  popup->GetPolygonControl()->click();
  EXPECT_EQ(Picture(lasso->icon()), polygonIcon);
  popup->GetLassoControl()->click();
  EXPECT_EQ(Picture(lasso->icon()), lassoIcon);
}
