// The controller against a fake engine: the open and its failure, the session folders, the
// thumbnail, saving under the current name and the printed frame.
#include "support/ProgramTestSupport.h"

#include "Customization/SettingsName.h"
#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/SessionFolderLock.h"

#include "Core/Interfaces/Exception.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <cstring>
#include <stdexcept>

namespace {

using namespace Zentor::Glimra;
using Zentor::App::AppSettings;
using Zentor::App::Application;
using Zentor::App::SessionFolderLock;
using Zentor::Conf::FormatCodecVideoPtr;
using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Conf::IFormatFile;
using Zentor::Core::Property;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;
using testing::_;
using testing::Return;
using testing::ReturnRef;
using TestSupport::NiceFakeEngine;

struct Event {
  std::string name;
  IStatisticsEventHandler::StringParameters parameters;
};

class RecordingStatistics : public TestSupport::NoStatistics {
 public:
  void TrackEventString(const std::string& name, const StringParameters& parameters) override {
    events.push_back({name, parameters});
  }
  size_t Count(const std::string& name) const {
    return size_t(std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.name == name; }));
  }
  std::vector<Event> events;
};

QString SessionFolder(const QString& name) { return Application::GetApplicationTemporaryFilesDir() + name; }

std::string Setting(const std::string& a, const std::string& b) {
  return AppSettings().GetString(Settings::Name(a, b), "unset");
}

class WorkspaceControllerTest : public testing::Test {
 protected:
  // A fake engine showing a width x height picture, described as a JPEG of that size.
  GlimraCorePtr Engine(uint32_t width, uint32_t height) {
    GlimraCorePtr engine(new NiceFakeEngine);
    auto& fake = static_cast<NiceFakeEngine&>(*engine);
    codec_ = IFormatCodecVideo::Create();
    codec_->InitByPixelAspect(width, height, 1, 1);
    Property description = codec_->GetSettings();
    description.SetChildT(IFormatCodec::TAG_CODEC_ID, std::string(IFormatCodecVideo::CODEC_ID_MJPEG));
    codec_->SetSettings(description);
    ON_CALL(fake, GetFormatCodec()).WillByDefault(ReturnRef(codec_));
    ON_CALL(fake, GetVideo()).WillByDefault([width, height] {
      return DataVideoFF::Create(AV_PIX_FMT_BGR0, width, height);
    });
    return engine;
  }

  static NiceFakeEngine& Fake(const GlimraCorePtr& engine) { return static_cast<NiceFakeEngine&>(*engine); }

  RecordingStatistics statistics_;
  FormatCodecVideoPtr codec_;
};

TEST_F(WorkspaceControllerTest, NewSessionClearsOnlyUnheldFoldersAndRecordsTheOpen) {
  const QString old = SessionFolder(QStringLiteral("old"));
  const QString kept = SessionFolder(QStringLiteral("kept"));
  ASSERT_TRUE(QDir().mkpath(old));
  SessionFolderLock held(SessionFolder(QStringLiteral("held")));

  GlimraCorePtr engine = Engine(640, 480);
  IGlimraCore::Initializer seen;
  auto factory = [&](const IGlimraCore::Initializer& init) {
    seen = init;
    return engine;
  };
  WorkspaceControllerPtr controller = WorkspaceController::Create(&statistics_, "/pictures/photo.jpg", "", factory);
  engine.reset();

  EXPECT_FALSE(QDir(old).exists());
  EXPECT_TRUE(QDir(SessionFolder(QStringLiteral("held"))).exists());
  ASSERT_FALSE(seen.sessionId.empty());
  const QString folder = SessionFolder(QString::fromStdString(seen.sessionId));
  EXPECT_EQ(seen.tempFolder, (folder + "/").toStdString());
  EXPECT_EQ(seen.filePath, "/pictures/photo.jpg");
  EXPECT_EQ(seen.statisticsHandler, &statistics_);
  EXPECT_EQ(Setting(Settings::OPEN, Settings::PATH), "/pictures");
  EXPECT_EQ(Setting(Settings::OPEN, Settings::FILE), "/pictures/photo.jpg");
  EXPECT_EQ(Setting(Settings::SESSION, Settings::ID), seen.sessionId);
  ASSERT_EQ(statistics_.Count(IStatisticsEventHandler::NAME_FILE_ADDED), 1u);
  const auto& added = statistics_.events.back().parameters;
  EXPECT_EQ(added.at(IStatisticsEventHandler::KEY_WIDTH_HEIGHT), "640X480");
  EXPECT_EQ(added.at(IStatisticsEventHandler::KEY_FILE_EXTENSION), "jpg");
  EXPECT_EQ(QImage(folder + "/preview.png").size(), QSize(60, 45));

  // A restored session keeps its id and clears nothing.
  ASSERT_TRUE(QDir().mkpath(kept));
  WorkspaceControllerPtr restored =
      WorkspaceController::Create(&statistics_, "/pictures/photo.jpg", "given", [&](const auto& init) {
        seen = init;
        return Engine(640, 480);
      });
  EXPECT_EQ(seen.sessionId, "given");
  EXPECT_TRUE(QDir(kept).exists());
  restored.reset();

  // The live session survives a clear; once its controller is gone, the clear removes it.
  WorkspaceController::ClearEarlierSessions();
  EXPECT_TRUE(QDir(folder).exists());
  controller.reset();
  WorkspaceController::ClearEarlierSessions();
  EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(WorkspaceControllerTest, FailedOpenIsReportedOnceRethrownAndChangesNothing) {
  WorkspaceControllerPtr open = WorkspaceController::Create(&statistics_, "/a/open.jpg", "",
                                                            [&](const auto&) { return Engine(640, 480); });
  const std::string openSession = Setting(Settings::SESSION, Settings::ID);
  const QString openFolder = SessionFolder(QString::fromStdString(openSession));
  statistics_.events.clear();

  EXPECT_THROW(WorkspaceController::Create(&statistics_, "/b/broken.png", "",
                                           [](const auto&) -> GlimraCorePtr {
                                             ZENTOR_THROW_DESC(Zentor::Proc::DecoderException, "Cannot decode");
                                           }),
               Zentor::Proc::DecoderException);
  ASSERT_EQ(statistics_.events.size(), 1u);
  EXPECT_EQ(statistics_.events[0].name, IStatisticsEventHandler::NAME_FILE_OPEN_ERROR);
  EXPECT_EQ(statistics_.events[0].parameters.at(IStatisticsEventHandler::KEY_ERROR), "Cannot decode");
  EXPECT_EQ(statistics_.events[0].parameters.at(IStatisticsEventHandler::KEY_FILE_EXTENSION), "png");

  EXPECT_THROW(WorkspaceController::Create(&statistics_, "/b/broken.tif", "",
                                           [](const auto&) -> GlimraCorePtr { throw std::runtime_error("bad tiff"); }),
               std::runtime_error);
  ASSERT_EQ(statistics_.events.size(), 2u);
  EXPECT_EQ(statistics_.events[1].parameters.at(IStatisticsEventHandler::KEY_ERROR), "bad tiff");

  EXPECT_EQ(Setting(Settings::OPEN, Settings::PATH), "/a");
  EXPECT_EQ(Setting(Settings::OPEN, Settings::FILE), "/a/open.jpg");
  EXPECT_EQ(Setting(Settings::SESSION, Settings::ID), openSession);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The document still open keeps its session.
  EXPECT_TRUE(QFileInfo::exists(openFolder + "/preview.png"));
}

TEST_F(WorkspaceControllerTest, PreviewFitsSixtyPixelsWithTheAspectKept) {
  TestSupport::TempFolder folder("glimra-preview");
  const QString path = QString::fromStdString(folder.File("preview.png"));
  const std::pair<QSize, QSize> cases[] = {{QSize(640, 480), QSize(60, 45)}, {QSize(30, 100), QSize(18, 60)}};
  for (const auto& [picture, preview] : cases) {
    WorkspaceControllerPtr controller(new WorkspaceController(
        &statistics_, Engine(picture.width(), picture.height()), QString::fromStdString(folder.File(""))));
    EXPECT_EQ(QImage(path).size(), preview) << picture.width();
  }
}

TEST_F(WorkspaceControllerTest, SaveOverwriteNeedsASavingCodec) {
  TestSupport::TempFolder folder("glimra-save");
  GlimraCorePtr engine = Engine(64, 48);
  Property defaults("save");
  defaults.SetChildT(IFormatFile::TAG_FILENAME, std::string("/pictures/anim.gif"));
  ON_CALL(Fake(engine), GetDefaultSaveSettings()).WillByDefault([&] { return defaults; });
  WorkspaceControllerPtr controller(
      new WorkspaceController(&statistics_, engine, QString::fromStdString(folder.File(""))));

  EXPECT_CALL(Fake(engine), Save(_)).Times(0);
  EXPECT_FALSE(controller->SaveOverwrite());
  testing::Mock::VerifyAndClearExpectations(&Fake(engine));

  defaults.SetChildT(IFormatFile::TAG_FILENAME, std::string("/pictures/photo.png"));
  std::string saved;
  EXPECT_CALL(Fake(engine), Save(_)).WillOnce([&](const Property& settings) {
    saved = settings[IFormatFile::TAG_FILENAME].GetString();
  });
  EXPECT_TRUE(controller->SaveOverwrite());
  EXPECT_EQ(saved, "/pictures/photo.png");
  EXPECT_EQ(statistics_.Count(IStatisticsEventHandler::NAME_SAVE), 1u);
}

TEST_F(WorkspaceControllerTest, FrameOutlivesTheEnginesFrame) {
  TestSupport::TempFolder folder("glimra-frame");
  GlimraCorePtr engine = Engine(8, 4);
  WorkspaceControllerPtr controller(
      new WorkspaceController(&statistics_, engine, QString::fromStdString(folder.File(""))));
  ON_CALL(Fake(engine), GetVideo()).WillByDefault([] {
    DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR0, 8, 4);
    const auto& picture = frame->GetPicture();
    std::memset(picture.data[0], 0x40, size_t(picture.linesize[0]) * 4);
    return frame;
  });
  const QImage frame = controller->GetFrame();
  ASSERT_EQ(frame.size(), QSize(8, 4));
  EXPECT_EQ(frame.pixel(7, 3), qRgb(0x40, 0x40, 0x40));
}

}  // namespace
