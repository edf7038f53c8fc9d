// A real engine through the controller: open a JPEG, brush a selection with the mouse through a
// view of the scene, and close everything again.
#include "support/ProgramTestSupport.h"

#include "Customization/SettingsName.h"
#include "Engine/PaintTools.h"
#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/Application.h"

#include <QFileInfo>
#include <QGraphicsView>
#include <QTest>

namespace {

using namespace Zentor::Glimra;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;

// A 640 x 480 JPEG with a gradient.
std::string WriteJpeg(const TestSupport::TempFolder& folder) {
  DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 640, 480);
  const auto& picture = frame->GetPicture();
  for (int y = 0; y < 480; ++y) {
    uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    for (int x = 0; x < 640; ++x) {
      row[x * 3 + 0] = uint8_t(x / 3);
      row[x * 3 + 1] = uint8_t(y / 2);
      row[x * 3 + 2] = uint8_t(x + y);
    }
  }
  const std::string path = folder.File("photo.jpg");
  TestSupport::WriteEncoded(path, frame, TestSupport::CodecPreset(Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG));
  return path;
}

TEST(WorkspaceIntegrationTest, BrushStrokeThroughTheViewSelectsInTheRealEngine) {
  TestSupport::TempFolder folder("glimra-workspace");
  TestSupport::StatisticsHandler statistics;
  TestSupport::CoreHandler failures;
  WorkspaceControllerPtr controller = WorkspaceController::Create(&statistics, WriteJpeg(folder), "");
  controller->RegisterCoreEventHandler(&failures);
  const QString session =
      QString::fromStdString(Zentor::App::AppSettings().GetString(Settings::Name(Settings::SESSION, Settings::ID), ""));
  EXPECT_TRUE(
      QFileInfo::exists(Zentor::App::Application::GetApplicationTemporaryFilesDir() + session + "/preview.png"));

  PaintTools& tools = *controller->GetPaintTools();
  tools.BrushModeOn(20);
  ASSERT_FALSE(tools.HasSelectedArea());
  {
    QGraphicsView view(controller->GetScene());
    view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view.resize(700, 520);
    view.show();
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(100, 100));
    for (int x = 110; x <= 300; x += 10) QTest::mouseMove(viewport, QPoint(x, 120));
    // The stroke shows as patches over the picture before the engine reports the change.
    EXPECT_GT(controller->GetScene()->items().size(), 1);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(300, 120));
    EXPECT_TRUE(TestSupport::WaitFor([&] { return controller->GetScene()->items().size() == 1; }));
  }
  EXPECT_TRUE(tools.HasSelectedArea());
  EXPECT_TRUE(failures.errors.empty());
  controller.reset();
  TestSupport::Drain();
}

}  // namespace
