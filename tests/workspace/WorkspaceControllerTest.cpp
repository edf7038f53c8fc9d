// The controller against a fake engine: the open and its failure, the session folders, the
// thumbnail, saving under the current name and the printed frame.
#include "support/ProgramTestSupport.h"

#include "Core/Interfaces/Exception.h"
#include "Customization/SettingsName.h"
#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/SessionFolderLock.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <sys/stat.h>

#include <cstring>

namespace {

using namespace Zentor::Glimra;
using testing::_;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Proc::DataVideoFF;

struct Event {
  std::string name;
  IStatisticsEventHandler::StringParameters parameters;
};

class RecordingStatistics : public TestSupport::NoStatistics {
 public:
  void TrackEventString(const std::string& name, const StringParameters& parameters) override {
    events.push_back({name, parameters});
  }
  std::vector<Event> events;
};

QString SessionFolder(const std::string& name) {
  return Zentor::App::Application::GetApplicationTemporaryFilesDir() + QString::fromStdString(name);
}

std::string Setting(const std::string& a, const std::string& b) {
  return Zentor::App::AppSettings().GetString(Settings::Name(a, b), "unset");
}

class WorkspaceControllerTest : public testing::Test {
 protected:
  // A fake engine showing a width x height picture, described as a JPEG of that size.
  GlimraCorePtr Engine(uint32_t width, uint32_t height) {
    GlimraCorePtr engine(new TestSupport::NiceFakeEngine);
    codec_ = IFormatCodecVideo::Create();
    codec_->InitByPixelAspect(width, height, 1, 1);
    ON_CALL(Fake(engine), GetFormatCodec()).WillByDefault(testing::ReturnRef(codec_));
    ON_CALL(Fake(engine), GetVideo()).WillByDefault([=] {
      return DataVideoFF::Create(AV_PIX_FMT_BGR0, width, height);
    });
    return engine;
  }
  static TestSupport::FakeEngine& Fake(const GlimraCorePtr& engine) {
    return static_cast<TestSupport::FakeEngine&>(*engine);
  }
  WorkspaceControllerPtr Construct(const GlimraCorePtr& engine) {
    return WorkspaceControllerPtr(
        new WorkspaceController(&statistics_, engine, QString::fromStdString(folder_.Folder())));
  }

  RecordingStatistics statistics_;
  Zentor::Conf::FormatCodecVideoPtr codec_;
  TestSupport::TempFolder folder_{"glimra-controller"};
};

TEST_F(WorkspaceControllerTest, NewSessionClearsOnlyUnheldFoldersAndRecordsTheOpen) {
  ASSERT_TRUE(QDir().mkpath(SessionFolder("old")));
  Zentor::App::SessionFolderLock held(SessionFolder("held"));
  IGlimraCore::Initializer seen;
  const auto factory = [&](const IGlimraCore::Initializer& init) {
    seen = init;
    return Engine(640, 480);
  };
  Zentor::App::AppSettings().SetString(Settings::Name(Settings::SESSION, Settings::ID), "before");
  WorkspaceController::Pointer controller =
      WorkspaceController::Create(&statistics_, "/pictures/photo.jpg", "", factory);

  EXPECT_FALSE(QDir(SessionFolder("old")).exists());
  EXPECT_TRUE(QDir(SessionFolder("held")).exists());
  const QString folder = SessionFolder(seen.sessionId);
  EXPECT_EQ(seen.tempFolder, (folder + "/").toStdString());
  // The last session changes only once the caller took the document over.
  EXPECT_EQ(Setting(Settings::SESSION, Settings::ID), "before");
  controller->RememberAsLastSession();
  EXPECT_EQ(Setting(Settings::OPEN, Settings::PATH), "/pictures");
  EXPECT_EQ(Setting(Settings::OPEN, Settings::FILE), "/pictures/photo.jpg");
  EXPECT_EQ(Setting(Settings::SESSION, Settings::ID), seen.sessionId);
  ASSERT_EQ(statistics_.events.size(), 1u);
  EXPECT_EQ(statistics_.events[0].name, IStatisticsEventHandler::NAME_FILE_ADDED);
  EXPECT_EQ(statistics_.events[0].parameters.at(IStatisticsEventHandler::KEY_WIDTH_HEIGHT), "640X480");
  EXPECT_EQ(statistics_.events[0].parameters.at(IStatisticsEventHandler::KEY_FILE_EXTENSION), "jpg");

  // A restored session keeps its id and clears nothing.
  ASSERT_TRUE(QDir().mkpath(SessionFolder("kept")));
  WorkspaceController::Create(&statistics_, "/pictures/photo.jpg", "given", factory);
  EXPECT_EQ(seen.sessionId, "given");
  EXPECT_TRUE(QDir(SessionFolder("kept")).exists());

  // The live session survives a clear; once its controller is gone, the clear removes it.
  WorkspaceController::ClearEarlierSessions();
  EXPECT_TRUE(QDir(folder).exists());
  controller.reset();
  WorkspaceController::ClearEarlierSessions();
  EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(WorkspaceControllerTest, FailedOpenIsReportedOnceRethrownAndChangesNothing) {
  WorkspaceController::Pointer open =
      WorkspaceController::Create(&statistics_, "/a/open.jpg", "", [&](const auto&) { return Engine(640, 480); });
  open->RememberAsLastSession();
  const std::string session = Setting(Settings::SESSION, Settings::ID);
  statistics_.events.clear();

  const auto failing = [](const auto&) -> GlimraCorePtr {
    ZENTOR_THROW_DESC(Zentor::Proc::DecoderException, "Cannot decode");
  };
  EXPECT_THROW(WorkspaceController::Create(&statistics_, "/b/broken.png", "", failing), Zentor::Proc::DecoderException);
  ASSERT_EQ(statistics_.events.size(), 1u);
  EXPECT_EQ(statistics_.events[0].name, IStatisticsEventHandler::NAME_FILE_OPEN_ERROR);
  EXPECT_EQ(statistics_.events[0].parameters.at(IStatisticsEventHandler::KEY_ERROR), "Cannot decode");
  EXPECT_EQ(statistics_.events[0].parameters.at(IStatisticsEventHandler::KEY_FILE_EXTENSION), "png");
  EXPECT_EQ(Setting(Settings::OPEN, Settings::PATH), "/a");
  EXPECT_EQ(Setting(Settings::OPEN, Settings::FILE), "/a/open.jpg");
  EXPECT_EQ(Setting(Settings::SESSION, Settings::ID), session);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The document still open keeps its session.
  EXPECT_TRUE(QFileInfo::exists(SessionFolder(session) + "/preview.png"));
}

TEST_F(WorkspaceControllerTest, PreviewFitsSixtyPixelsWithTheAspectKept) {
  const std::pair<QSize, QSize> cases[] = {{QSize(640, 480), QSize(60, 45)}, {QSize(30, 100), QSize(18, 60)}};
  for (const auto& [picture, preview] : cases) {
    Construct(Engine(picture.width(), picture.height()));
    EXPECT_EQ(QImage(QString::fromStdString(folder_.File("preview.png"))).size(), preview) << picture.width();
  }
}

TEST_F(WorkspaceControllerTest, ThePreviewIsReplacedWholeNeverRewrittenInPlace) {
  const QByteArray preview = QFile::encodeName(QString::fromStdString(folder_.File("preview.png")));
  const auto inode = [&preview] {
    struct stat info;
    return ::stat(preview.constData(), &info) == 0 ? info.st_ino : ino_t(0);
  };
  WorkspaceControllerPtr controller = Construct(Engine(640, 480));
  const ino_t first = inode();
  ASSERT_NE(first, ino_t(0));
  // A copy of the program starting now may be reading the first file: it must stay whole.
  controller.reset();
  EXPECT_NE(inode(), first);
  EXPECT_FALSE(QImage(QFile::decodeName(preview)).isNull());
  EXPECT_EQ(QDir(QString::fromStdString(folder_.Folder())).entryList(QDir::Hidden | QDir::Files).size(), 1)
      << "no temporary file is left";
}

TEST_F(WorkspaceControllerTest, SaveOverwriteRefusesAnOpenOnlySuffix) {
  GlimraCorePtr engine = Engine(64, 48);
  Zentor::Core::Property defaults("save");
  defaults.SetChildT(Zentor::Conf::IFormatFile::TAG_FILENAME, std::string("/pictures/anim.gif"));
  ON_CALL(Fake(engine), GetDefaultSaveSettings()).WillByDefault(testing::Return(defaults));
  EXPECT_CALL(Fake(engine), Save(_)).Times(0);
  EXPECT_FALSE(Construct(engine)->SaveOverwrite());
}

TEST_F(WorkspaceControllerTest, PrintedFrameOwnsItsPixels) {
  GlimraCorePtr engine = Engine(8, 4);
  // The frame lives only as long as the call.
  ON_CALL(Fake(engine), GetVideo()).WillByDefault([] {
    Zentor::Proc::DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR0, 8, 4);
    std::memset(frame->GetPicture().data[0], 0x40, size_t(frame->GetPicture().linesize[0]) * 4);
    return frame;
  });
  const QImage frame = Construct(engine)->GetFrame();
  ASSERT_EQ(frame.size(), QSize(8, 4));
  EXPECT_EQ(frame.pixel(7, 3), qRgb(0x40, 0x40, 0x40));
}

}  // namespace
