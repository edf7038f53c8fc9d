// A real engine through the controller: open a JPEG, brush a selection with the mouse through a
// view of the scene, save it, and close everything again.
#include "support/ProgramTestSupport.h"

#include "Customization/SettingsName.h"
#include "Engine/PaintTools.h"
#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/Application.h"

#include <QFileInfo>
#include <QGraphicsView>
#include <QTest>

#include <sys/stat.h>

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
  WorkspaceController::Pointer controller = WorkspaceController::Create(&statistics, WriteJpeg(folder), "");
  controller->RegisterCoreEventHandler(&failures);
  controller->RememberAsLastSession();
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
    // The patches go with the rebuild; the picture and the selection laid over it stay.
    EXPECT_TRUE(TestSupport::WaitFor([&] { return controller->GetScene()->items().size() == 2; }));
  }
  EXPECT_TRUE(tools.HasSelectedArea());
  EXPECT_TRUE(failures.errors.empty());
  controller.reset();
  TestSupport::Drain();
}

TEST(WorkspaceIntegrationTest, OnlyASaveTheEngineMadeIsCountedAndRemembersItsFolder) {
  TestSupport::TempFolder folder("glimra-workspace-save");
  TestSupport::StatisticsHandler statistics;
  TestSupport::CoreHandler failures;
  const std::string photo = WriteJpeg(folder);
  WorkspaceController::Pointer controller = WorkspaceController::Create(&statistics, photo, "");
  controller->RegisterCoreEventHandler(&failures);
  Zentor::App::ISettingsManager& settings = Zentor::App::AppSettings();
  const std::string savePath = Settings::Name(Settings::SAVE, Settings::PATH);
  settings.SetString(savePath, "/before");
  statistics.names.clear();

  // A file without write permission is refused, also for root.
  ASSERT_EQ(chmod(photo.c_str(), 0444), 0);
  controller->Save(QString::fromStdString(photo));
  EXPECT_EQ(failures.errors.size(), 1u);
  EXPECT_TRUE(statistics.names.empty());
  EXPECT_EQ(settings.GetString(savePath, ""), "/before");

  controller->Save(QString::fromStdString(folder.File("copy.png")));
  EXPECT_EQ(failures.errors.size(), 1u);
  EXPECT_EQ(statistics.names, std::vector<std::string>{IStatisticsEventHandler::NAME_SAVE});
  EXPECT_EQ(settings.GetString(savePath, "") + "/", folder.Folder());
  controller.reset();
  TestSupport::Drain();
}

}  // namespace
