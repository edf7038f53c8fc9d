// The whole run as main does it. Each case runs this binary again as a child
// (TestSupport::RegisterChild) that builds the program's objects, does one thing in the event
// loop and prints what it saw; glog writes to the child's standard error.
#include "support/ProgramTestSupport.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/FFmpeg/Libraries.h"
#include "UI/MainWindow.h"
#include "main/Application.h"
#include "main/ApplicationEventFilter.h"
#include "main/Mediator.h"
#include "main/Program.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <glog/logging.h>

#include <cstdlib>
#include <string>
#include <iostream>
#include <stdexcept>

// The resources of a static library register only when asked, and from outside any namespace.
static void RegisterProgramResources() { Q_INIT_RESOURCE(glimra); }

namespace {

using namespace Zentor::Glimra;

const char* const ROLE_VARIABLE = "GLIMRA_TEST_PROGRAM_ROLE";
const char* const FILE_VARIABLE = "GLIMRA_TEST_PROGRAM_FILE";

void ReportDestruction(QObject* object, const char* name) {
  QObject::connect(object, &QObject::destroyed, [name] { std::cout << "destroyed=" << name << std::endl; });
}

void Started(Application& application, MainWindow& window, Mediator& mediator, ApplicationEventFilter& filter) {
  const std::string role = std::getenv(ROLE_VARIABLE);
  if (role == "help") {
    ReportDestruction(&application, "application");
    ReportDestruction(&window, "window");
    ReportDestruction(&mediator, "mediator");
    ReportDestruction(&filter, "filter");
    // The help alert ends the run.
    Zentor::App::AlertBox::SetExecHook([](Zentor::App::AlertBox& alert) {
      std::cout << "alert=" << alert.text().replace(QLatin1Char('\n'), QLatin1Char('|')).toStdString() << std::endl;
      QCoreApplication::quit();
      return int(QMessageBox::Ok);
    });
  } else if (role == "no-ffmpeg") {  // its open fails before this; the hook set before the run answers
  } else if (role == "zentor") {
    QTimer::singleShot(0, &application, [] { ZENTOR_THROW_DESC(Zentor::Exception, "engine failure"); });
  } else if (role == "standard") {
    QTimer::singleShot(0, &application, [] { throw std::runtime_error("standard failure"); });
  } else {
    QTimer::singleShot(0, &application, [] { throw 7; });
  }
}

const bool childRegistered = TestSupport::RegisterChild("program", [] {
  FLAGS_logtostderr = true;
  google::InitGoogleLogging("glimra");
  RegisterProgramResources();
  static char name[] = "glimra";
  static char help[] = "--help";
  static char* argv[] = {name, help, nullptr};
  const std::string role = std::getenv(ROLE_VARIABLE);
  static int argc = role == "help" ? 2 : 1;
  if (role == "no-ffmpeg") {
    FLAGS_minloglevel = google::GLOG_INFO;  // the open's failure is a warning
    Zentor::FFmpeg::SetFileName(Zentor::FFmpeg::Library::Format, "libavformat.so.missing");
    argv[1] = std::getenv(FILE_VARIABLE);
    argc = 2;
    Zentor::App::AlertBox::SetExecHook([](Zentor::App::AlertBox& alert) {
      std::cout << "alert=" << alert.text().toStdString() << std::endl;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
      return int(QMessageBox::Ok);
    });
  }
  const int code = Program::Run(argc, argv, &Started);
  std::cout << "code=" << code << std::endl;
  return code;
});

struct ChildRun {
  int exitCode = -1;
  QString out;
  QString err;
  QStringList errorLines;  // glog's ERROR lines
};

ChildRun RunProgram(const char* role, const QString& resources = {}, const QString& file = {}) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("GLIMRA_TEST_CHILD"), QStringLiteral("program"));
  environment.insert(QLatin1String(ROLE_VARIABLE), QLatin1String(role));
  if (!resources.isEmpty()) environment.insert(QStringLiteral("GLIMRA_RESOURCES_DIR"), resources);
  if (!file.isEmpty()) environment.insert(QLatin1String(FILE_VARIABLE), file);
  QProcess child;
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(), {});
  EXPECT_TRUE(child.waitForFinished(60000));
  ChildRun run;
  run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
  run.out = QString::fromUtf8(child.readAllStandardOutput());
  run.err = QString::fromUtf8(child.readAllStandardError());
  for (const QString& line : run.err.split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1Char('E'))) run.errorLines << line;
  return run;
}

TEST(ProgramTest, HelpShowsOnceTheLoopRunsAndQuitTearsDownInReverseOrder) {
  const ChildRun run = RunProgram("help");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, QStringLiteral("alert=Allowed options:| -? [ --help ] show this message|"
                                    " -i [ --input-file ] [filename] input file|\n"
                                    "destroyed=filter\ndestroyed=mediator\ndestroyed=window\n"
                                    "destroyed=application\ncode=0\n"));
  EXPECT_TRUE(run.errorLines.isEmpty()) << run.errorLines.join(QLatin1Char('\n')).toStdString();
}

TEST(ProgramTest, ExceptionFromASlotEndsWithOneAndOneErrorLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"zentor", "A Zentor::Exception-based exception has been caught: "},
      {"standard", "An std::exception-based exception has been caught: "},
      {"unknown", "An unknown exception has been caught: "},
  };
  for (const auto& [role, text] : cases) {
    const ChildRun run = RunProgram(role);
    EXPECT_EQ(run.exitCode, 1) << role;
    ASSERT_EQ(run.errorLines.size(), 1) << role << run.errorLines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(run.errorLines[0].contains(QLatin1String(text))) << run.errorLines[0].toStdString();
    EXPECT_TRUE(run.errorLines[0].contains(QLatin1String("Program.cpp"))) << "with the source file";
  }
  EXPECT_TRUE(RunProgram("zentor").err.contains(QLatin1String("engine failure"))) << "the diagnostic follows";
}

TEST(ProgramTest, FailedApplicationSetUpEndsWithOne) {
  QTemporaryDir noResources;
  const ChildRun run = RunProgram("help", noResources.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.errorLines.size(), 1);
  EXPECT_FALSE(run.out.contains(QLatin1String("destroyed=window"))) << "no window was built";
}

TEST(ProgramTest, PhotoWithoutFFmpegShowsTheOpenErrorNamingTheMissingLibrary) {
  QTemporaryDir folder;
  const QString photo = folder.filePath(QStringLiteral("photo.jpg"));
  QImage image(64, 48, QImage::Format_RGB32);
  image.fill(Qt::darkGreen);
  ASSERT_TRUE(image.save(photo, "JPG"));
  const ChildRun run = RunProgram("no-ffmpeg", {}, photo);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QStringLiteral("alert=<b>Could not open the file 'photo.jpg'.</b><br>The image is corrupted or in "
                                    "an unsupported file format.\ncode=0\n"));
  EXPECT_TRUE(run.err.contains(QLatin1String("Cannot load FFmpeg's library libavformat.so.missing")))
      << run.err.toStdString();
}

}  // namespace
