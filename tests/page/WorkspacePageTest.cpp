// The workspace page over the real controller on a fake engine: the fit of a new picture, the
// zoom bar and its label, the hand button, the start page's last-session preview and the file
// information of a picture without metadata.
#include "support/ProgramTestSupport.h"

#include "Customization/SettingsName.h"
#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LookAndFeelManager.h"
#include "Platform/AppShell/SessionFolderLock.h"
#include "UI/WorkspaceWidget.h"
#include "Workspace/WorkspaceView.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <sys/stat.h>

#include <cstring>
#include <functional>

namespace {

using namespace Zentor::Glimra;
using Zentor::App::AppSettings;
using Zentor::App::Application;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;
using testing::_;
using testing::Return;

const std::string SESSION_KEY = Settings::Name(Settings::SESSION, Settings::ID);

class WorkspacePageTest : public testing::Test {
 protected:
  WorkspacePageTest() { AppSettings().Remove(SESSION_KEY); }

  // A new page shown at a size whose view is larger than 200 x 100 and smaller than 4000 x 3000.
  std::unique_ptr<WorkspaceWidget> ShownPage() {
    auto page = std::make_unique<WorkspaceWidget>();
    page->resize(1100, 700);
    page->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    return page;
  }

  WorkspaceControllerPtr Open(WorkspaceWidget& page, uint32_t width, uint32_t height) {
    engine.reset(new TestSupport::NiceFakeEngine);
    DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR0, width, height);
    std::memset(frame->GetPicture().data[0], 0x80, size_t(frame->GetPicture().linesize[0]) * height);
    ON_CALL(*engine, GetVideo()).WillByDefault(Return(frame));
    // Each image its own session folder: the page holds the previous one until it is replaced.
    const QString session = QString::fromStdString(folder.File(std::to_string(++opened)));
    QDir().mkpath(session);
    WorkspaceControllerPtr controller(new WorkspaceController(nullptr, engine, session));
    page.SetWorkspaceController(controller);
    return controller;
  }

  template <typename T>
  static T* Find(const QWidget& page, const char* name) {
    return page.findChild<T*>(QLatin1String(name));
  }
  static WorkspaceView* View(const QWidget& page) { return Find<WorkspaceView>(page, "graphicsView"); }

  TestSupport::TempFolder folder{"glimra-page"};
  boost::intrusive_ptr<TestSupport::NiceFakeEngine> engine;
  int opened = 0;
};

}  // namespace

TEST_F(WorkspacePageTest, ASmallPictureOpensAtFullSizeAndALargeOneFitted) {
  auto page = ShownPage();
  EXPECT_FALSE(Find<QWidget>(*page, "viewDockWidget")->isVisible());
  Open(*page, 200, 100);
  WorkspaceView* view = View(*page);
  EXPECT_TRUE(view->isVisible());
  EXPECT_TRUE(Find<QWidget>(*page, "viewDockWidget")->isVisible());
  EXPECT_TRUE(Find<QWidget>(*page, "instrumentsDockWidget")->isVisible());
  EXPECT_DOUBLE_EQ(100.0, view->GetCurrentScalePercent());
  EXPECT_EQ(100, Find<QSlider>(*page, "scaleSlider")->value());
  // The whole picture is in view: no hand tool.
  EXPECT_FALSE(Find<QToolButton>(*page, "activateDragModeButton")->isEnabled());

  Open(*page, 4000, 3000);
  const double fitted = view->GetCurrentScalePercent();
  EXPECT_LT(fitted, 100.0);
  EXPECT_GE(fitted, 5.0);
  EXPECT_EQ(int(fitted), Find<QSlider>(*page, "scaleSlider")->value());
  EXPECT_LE(3000 * fitted / 100.0, view->viewport()->height() + 1.0);
}

TEST_F(WorkspacePageTest, ZoomStopsAtItsLimitsWithTheButtonsAndTheSliderFollowing) {
  auto page = ShownPage();
  Open(*page, 400, 300);
  WorkspaceView* view = View(*page);
  auto* slider = Find<QSlider>(*page, "scaleSlider");
  auto* zoomIn = Find<QToolButton>(*page, "zoomInButton");
  auto* zoomOut = Find<QToolButton>(*page, "zoomOutButton");
  EXPECT_EQ(5, slider->minimum());
  EXPECT_EQ(300, slider->maximum());

  slider->setValue(295);
  EXPECT_DOUBLE_EQ(295.0, view->GetCurrentScalePercent());
  zoomIn->click();
  EXPECT_DOUBLE_EQ(300.0, view->GetCurrentScalePercent());
  EXPECT_EQ(300, slider->value());
  EXPECT_FALSE(zoomIn->isEnabled());
  EXPECT_TRUE(zoomOut->isEnabled());
  page->ZoomIn();
  EXPECT_DOUBLE_EQ(300.0, view->GetCurrentScalePercent());

  page->ScaleToPercent(12);
  zoomOut->click();
  EXPECT_DOUBLE_EQ(5.0, view->GetCurrentScalePercent());
  EXPECT_EQ(5, slider->value());
  EXPECT_FALSE(zoomOut->isEnabled());
  EXPECT_TRUE(zoomIn->isEnabled());

  Find<QToolButton>(*page, "originalSizeButton")->click();
  EXPECT_DOUBLE_EQ(100.0, view->GetCurrentScalePercent());
  EXPECT_EQ(100, slider->value());
}

TEST_F(WorkspacePageTest, TheZoomTextRoundsHalfUpAndItsLabelHidesASecondAfterTheLastZoom) {
  auto page = ShownPage();
  Open(*page, 400, 300);
  WorkspaceView* view = View(*page);
  auto* label = Find<QLabel>(*page, "scaleInfoLabel");

  view->ScaleToPercent(33.4);
  EXPECT_EQ("Zoom: 33%", label->text());
  EXPECT_EQ("Zoom: 33%", Find<QSlider>(*page, "scaleSlider")->toolTip());
  view->ScaleToPercent(33.5);
  EXPECT_EQ("Zoom: 34%", label->text());
  {
    Zentor::App::LookAndFeelManager german(Zentor::App::GetPathToResources(), {"qt", "Glimra"});
    german.Initialize("de", Zentor::App::ILookAndFeelManager::themeDefault);
    view->ScaleToPercent(33.4);
    EXPECT_EQ("Zoom: 33 %", label->text());
    german.SetCurrentLocale("en");
  }

  ASSERT_TRUE(TestSupport::WaitFor([label] { return label->isHidden(); }));
  page->ZoomIn();
  EXPECT_TRUE(label->isVisible());
  // A zoom while the label shows starts its second anew.
  QTest::qWait(600);
  page->ZoomIn();
  QTest::qWait(600);
  EXPECT_TRUE(label->isVisible());
  EXPECT_TRUE(TestSupport::WaitFor([label] { return label->isHidden(); }));
}

TEST_F(WorkspacePageTest, TheHandButtonIsOnlyUsableWhileThePictureOverflows) {
  auto page = ShownPage();
  Open(*page, 4000, 3000);
  WorkspaceView* view = View(*page);
  auto* hand = Find<QToolButton>(*page, "activateDragModeButton");
  EXPECT_FALSE(hand->isEnabled());

  page->ScaleToOrigin();
  ASSERT_TRUE(hand->isEnabled());
  hand->click();
  EXPECT_EQ(QGraphicsView::ScrollHandDrag, view->dragMode());

  page->ScaleToFit();
  EXPECT_FALSE(hand->isEnabled());
  EXPECT_FALSE(hand->isChecked());
  EXPECT_EQ(QGraphicsView::NoDrag, view->dragMode());
}

TEST_F(WorkspacePageTest, HoverMovesOverThePictureDoNotPaint) {
  auto page = ShownPage();
  Open(*page, 400, 300);
  WorkspaceView* view = View(*page);
  // Tools that draw outlines follow the hover position.
  view->viewport()->setMouseTracking(true);
  QWindow* window = page->window()->windowHandle();
  const QPoint centre = view->viewport()->mapTo(page->window(), view->viewport()->rect().center());

  EXPECT_CALL(*engine, PaintStart(_, _)).Times(0);
  EXPECT_CALL(*engine, Paint(_, _)).Times(0);
  for (int dx = 0; dx < 50; dx += 10) QTest::mouseMove(window, centre + QPoint(dx, 0));
  testing::Mock::VerifyAndClearExpectations(engine.get());

  // A held button still paints.
  EXPECT_CALL(*engine, PaintStart(_, _)).Times(1);
  EXPECT_CALL(*engine, Paint(_, _)).Times(testing::AtLeast(1));
  QTest::mousePress(window, Qt::LeftButton, {}, centre);
  QTest::mouseMove(window, centre + QPoint(20, 0));
  QTest::mouseRelease(window, Qt::LeftButton, {}, centre + QPoint(20, 0));
}

TEST_F(WorkspacePageTest, TheLastSessionIsOfferedWhateverBecameOfItsPreview) {
  {
    WorkspaceWidget page;
    EXPECT_TRUE(Find<QWidget>(page, "previewFrame")->isHidden());
  }
  const QString sessions = Application::GetApplicationTemporaryFilesDir();
  AppSettings().SetString(SESSION_KEY, "page-session");
  {
    WorkspaceWidget page;
    EXPECT_TRUE(Find<QWidget>(page, "previewFrame")->isHidden()) << "the session's folder is gone";
  }
  ASSERT_TRUE(QDir().mkpath(sessions + "page-session"));
  const QString preview = sessions + "page-session/" + IWorkspaceController::PREVIEW_NAME;
  const auto write = [&preview](const QByteArray& bytes) {
    QFile file(preview);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  };
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage picture(60, 40, QImage::Format_ARGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
  }
  QByteArray huge;
  {
    QBuffer buffer(&huge);
    buffer.open(QIODevice::WriteOnly);
    QImage picture(6000, 4000, QImage::Format_Mono);
    picture.fill(0);
    ASSERT_TRUE(picture.save(&buffer, "PNG"));
  }
  const std::pair<const char*, std::function<void()>> damages[] = {
      {"missing", [] {}},
      {"cut short", [&] { write(png.left(png.size() / 2)); }},
      {"garbage", [&] { write("not a picture"); }},
      {"huge", [&] { write(huge); }},
      {"a folder", [&] { QDir().mkpath(preview); }},
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(preview).constData(), 0600), 0); }},
  };
  for (const auto& [damage, make] : damages) {
    make();
    WorkspaceWidget page;
    EXPECT_FALSE(Find<QWidget>(page, "previewFrame")->isHidden()) << damage;
    const QPixmap shown = Find<QLabel>(page, "previewLabel")->pixmap();
    EXPECT_EQ(QSize(60, 45), shown.size()) << damage;
    EXPECT_EQ(shown.toImage().pixel(30, 20), page.palette().color(QPalette::Mid).rgb()) << damage;
    QDir(preview).removeRecursively();
    QFile::remove(preview);
  }

  write(png);
  WorkspaceWidget page;
  EXPECT_FALSE(Find<QWidget>(page, "previewFrame")->isHidden());
  auto* label = Find<QLabel>(page, "previewLabel");
  EXPECT_EQ(QSize(60, 40), label->minimumSize());
  EXPECT_EQ(QSize(60, 40), label->maximumSize());
  EXPECT_EQ(QSize(60, 40), label->pixmap().size());
  EXPECT_EQ(label->pixmap().toImage().pixel(30, 20), QColor(Qt::darkGreen).rgb());
  QDir(sessions + "page-session").removeRecursively();
}

TEST_F(WorkspacePageTest, FileInformationWithoutMetadataShowsNothing) {
  auto page = ShownPage();
  Open(*page, 40, 30);
  // Should a dialog come up, it is closed and recorded rather than left blocking the test.
  bool dialogShown = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, &closer, [&dialogShown] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      dialogShown = true;
      modal->close();
    }
  });
  closer.start(50);
  Find<QToolButton>(*page, "infoButton")->click();
  EXPECT_FALSE(dialogShown);
}
