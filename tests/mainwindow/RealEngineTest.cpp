// The window over the real engine: an inpainted selection saved as PNG through the save panel,
// a save over the original that keeps its EXIF, a save that the folder refuses, and opens that
// cannot reach their file.
#include "MainWindowTestSupport.h"

#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LookAndFeelManager.h"
#include "main/Mediator.h"
#include "support/FileAccessSupport.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "UI/SaveFileDialog.h"
#include "Workspace/WorkspaceView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace Zentor::Glimra;
using Zentor::Core::Property;
using Zentor::Proc::DataVideoFF;
using Zentor::Proc::DataVideoPtr;
using Zentor::Proc::IImageMetadata;

const char* const MAKER = "Glimra Test Camera";

struct RealEngineTest : testing::Test {
  RealEngineTest() {
    TestSupport::Alerts().clear();
    window.resize(1000, 700);
    window.show();
  }
  ~RealEngineTest() override {
    TestSupport::AnswerAlerts(nullptr);
    window.hide();
    TestSupport::Drain();
  }

  // A 320 x 240 JPEG with a gradient and a camera maker in its EXIF.
  std::string WritePhoto(const std::string& folderPath) {
    DataVideoPtr frame = DataVideoFF::Create(AV_PIX_FMT_BGR24, 320, 240);
    const auto& picture = frame->GetPicture();
    for (int y = 0; y < 240; ++y) {
      uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
      for (int x = 0; x < 320; ++x) {
        row[x * 3 + 0] = uint8_t(x / 2);
        row[x * 3 + 1] = uint8_t(y);
        row[x * 3 + 2] = uint8_t(x + y);
      }
    }
    const std::string path = folderPath + "photo.jpg";
    TestSupport::WriteEncoded(path, frame, TestSupport::CodecPreset(Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG));
    Property settings(IImageMetadata::SAVE_SETTINGS);
    settings.SetChildT(Zentor::Conf::IFormatFile::TAG_FILENAME, path);
    settings.SetChild(IImageMetadata::REPLACE_SETTINGS).SetChildT("Exif.Image.Make", std::string(MAKER));
    Zentor::Proc::ImageMetadata::Create(path, nullptr)->Write(settings, nullptr);
    return path;
  }

  WorkspaceControllerPtr Open(const std::string& path) {
    WorkspaceControllerPtr controller = WorkspaceController::Create(&statistics, path, "");
    window.SetWorkspaceController(controller);
    TestSupport::Drain();
    return controller;
  }

  QAction* Action(const char* name) { return window.findChild<QAction*>(name); }
  bool Modified() { return Action("actionSave")->isEnabled(); }

  // A change the engine makes at once: a quarter turn.
  void Rotate() {
    Action("actionRotate")->trigger();
    ASSERT_TRUE(TestSupport::WaitFor([this] { return Modified(); }));
  }

  TestSupport::TempFolder folder{"glimra-mainwindow"};
  TestSupport::StatisticsHandler statistics;
  MainWindow window;
};

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

TEST_F(RealEngineTest, AnInpaintedSelectionSavedAsPngReopensWithTheSamePixels) {
  WorkspaceControllerPtr controller = Open(WritePhoto(folder.Folder()));
  controller->GetPaintTools()->BrushModeOn(30);
  QWidget* viewport = window.findChild<WorkspaceView*>()->viewport();
  const QPoint centre = viewport->rect().center();
  QTest::mousePress(viewport, Qt::LeftButton, {}, centre);
  for (int dx = 5; dx <= 60; dx += 5) QTest::mouseMove(viewport, centre + QPoint(dx, 0));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, centre + QPoint(60, 0));
  ASSERT_TRUE(TestSupport::WaitFor([this] { return Action("actionStart_Erasing")->isEnabled(); }));
  const QImage before = Rgb(controller->GetFrame());
  Action("actionStart_Erasing")->trigger();
  ASSERT_TRUE(TestSupport::WaitFor([this] { return Modified(); }, 60000));
  const QImage inpainted = Rgb(controller->GetFrame());
  ASSERT_NE(inpainted, before);

  // The PNG entry chosen in the panel and a bare name typed.
  QTimer answer;
  answer.setInterval(5);
  QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
    auto* dialog = qobject_cast<SaveFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    dialog->findChild<QComboBox*>("fileTypesComboBox")->setCurrentIndex(6);
    auto* browser = dialog->findChild<QFileDialog*>();
    browser->findChild<QLineEdit*>("fileNameEdit")->setText("out");
    static_cast<QDialog*>(browser)->accept();
  });
  answer.start();
  Action("actionSave_as")->trigger();
  EXPECT_TRUE(TestSupport::WaitFor([this] { return !Modified(); }));
  EXPECT_TRUE(TestSupport::Alerts().empty());

  const std::string saved = folder.File("out.png");
  WorkspaceControllerPtr reopened = WorkspaceController::Create(&statistics, saved, "");
  EXPECT_EQ(Rgb(reopened->GetFrame()), inpainted);
  EXPECT_EQ(Rgb(QImage(QString::fromStdString(saved))), inpainted);
}

TEST_F(RealEngineTest, SavingOverTheOriginalKeepsItsExif) {
  const std::string photo = WritePhoto(folder.Folder());
  Open(photo);
  Rotate();
  TestSupport::AnswerWith({"Yes"});
  Action("actionSave")->trigger();
  ASSERT_TRUE(TestSupport::WaitFor([this] { return !Modified(); }));
  const std::string bytes = TestSupport::ReadFile(photo);
  EXPECT_NE(bytes.find(MAKER), std::string::npos);
  EXPECT_EQ(QImage(QString::fromStdString(photo)).size(), QSize(240, 320));
}

// Root writes into any folder whose permissions say no, so for root the folder is made immutable.
class LockedFolder {
 public:
  explicit LockedFolder(const std::string& path) : path_(path), root_(geteuid() == 0) {
    locked_ = std::system(((root_ ? "chattr +i '" : "chmod 0555 '") + path_ + "' 2>/dev/null").c_str()) == 0;
  }
  ~LockedFolder() {
    if (locked_) std::system(((root_ ? "chattr -i '" : "chmod 0755 '") + path_ + "'").c_str());
  }
  bool Locked() const { return locked_; }

 private:
  std::string path_;
  bool root_;
  bool locked_;
};

TEST_F(RealEngineTest, ASaveTheFolderRefusesShowsAnAlertAndKeepsTheDocumentAndTheFile) {
  TestSupport::TempFolder locked("glimra-locked");
  const std::string photo = WritePhoto(locked.Folder());
  Open(photo);
  Rotate();
  const std::string original = TestSupport::ReadFile(photo);
  LockedFolder lock(locked.Folder());
  if (!lock.Locked()) GTEST_SKIP() << "running as root and the file system has no immutable folders";

  TestSupport::AnswerWith({"Yes"});
  Action("actionSave")->trigger();
  ASSERT_TRUE(TestSupport::WaitFor([] { return TestSupport::Alerts().size() >= 2; }));
  TestSupport::Drain();
  EXPECT_EQ(TestSupport::Alerts()[0].text, QStringLiteral("Overwrite existing file?"));
  ASSERT_EQ(TestSupport::Alerts().size(), 2u);
  EXPECT_FALSE(TestSupport::Alerts()[1].text.isEmpty());
  EXPECT_TRUE(Modified());
  EXPECT_EQ(TestSupport::ReadFile(photo), original);
}

// The alert gives the engine's cause in the user's language, not the text about damaged pictures.
TEST_F(RealEngineTest, AnOpenThatCannotReachTheFileSaysWhy) {
  const std::string locked = WritePhoto(folder.Folder());
  const std::string album = folder.File("album.jpg");
  ASSERT_EQ(::mkdir(album.c_str(), 0755), 0);
  const std::string missing = folder.File("missing.jpg");
  TestSupport::UnreadableFile unreadable(locked);
  ASSERT_TRUE(unreadable.Holds());
  char name[] = "glimra";
  char* argv[] = {name, nullptr};
  Mediator mediator(1, argv, window);
  const auto alertFor = [&mediator](const std::string& path) {
    TestSupport::Alerts().clear();
    mediator.AddFileToOpen(QString::fromStdString(path));
    return TestSupport::Alerts().size() == 1 ? TestSupport::Alerts()[0].text.toStdString() : std::string();
  };
  const auto quoted = [](const std::string& path) { return "&quot;" + QString::fromStdString(path) + "&quot;"; };

  const QString head = QStringLiteral("<b>Could not open the file '%1'.</b><br>");
  EXPECT_EQ(alertFor(locked),
            (head.arg("photo.jpg") + "Cannot open " + quoted(locked) + ": Permission denied").toStdString());
  EXPECT_EQ(alertFor(album), (head.arg("album.jpg") + quoted(album) + " is not a regular file").toStdString());
  EXPECT_EQ(alertFor(missing),
            (head.arg("missing.jpg") + "Cannot open " + quoted(missing) + ": No such file or directory").toStdString());

  Zentor::App::LookAndFeelManager language(Zentor::App::GetPathToResources(), {"qt", "Glimra"});
  language.SetCurrentLocale("de");
  const std::string german = alertFor(locked);
  language.SetCurrentLocale("en");
  EXPECT_EQ(german, "<b>Die Datei „photo.jpg“ konnte nicht geöffnet werden.</b><br>„" + locked +
                        "“ kann nicht geöffnet werden: Zugriff verweigert");
}

}  // namespace
