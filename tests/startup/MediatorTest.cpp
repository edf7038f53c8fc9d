// The mediator over the main window with fake engines: the command line, opening and its
// failures, the last session, the print-screen count and the statistics switch.
#include "support/ProgramTestSupport.h"

#include "Core/Interfaces/Exception.h"
#include "Customization/SettingsName.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/SessionFolderLock.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/UsageStats/ApplicationTrackerFactory.h"
#include "UI/MainWindow.h"
#include "UI/PreferencesDialog.h"
#include "main/ApplicationEventFilter.h"
#include "main/Mediator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileOpenEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <deque>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace Zentor::Glimra;
using Zentor::App::AppSettings;
using Zentor::Conf::FormatCodecVideoPtr;
using Zentor::Conf::IFormatCodec;
using Zentor::Conf::IFormatCodecVideo;
using Zentor::Core::Property;
using Zentor::Tracking::ApplicationTrackerFactory;
using Zentor::Tracking::IApplicationTracker;
using testing::ReturnRef;

const QString OPEN_ERROR =
    QStringLiteral("<b>Could not open the file '%1'.</b><br>The image is corrupted or in an unsupported file format.");

// Counts the screenshot events a usage tracker receives.
class FakeTracker : public Zentor::RefCounted<IApplicationTracker> {
 public:
  explicit FakeTracker(int& screenshots) : screenshots_(screenshots) {}
  bool Initialize(const std::string&, int, int, int, int) override { return true; }
  bool Deinitialize() override { return true; }
  bool TrackEvent(const std::string& name, const StringParameters&) override {
    screenshots_ += name == IStatisticsEventHandler::NAME_GET_SCREENSHOT;
    return true;
  }
  bool TrackEvent(const std::string&, const IntParameters&) override { return true; }
  bool TrackException(const std::string&, const std::string&, const std::string&) override { return true; }

 private:
  int& screenshots_;
};

class MediatorTest : public testing::Test {
 protected:
  MediatorTest() {
    TestSupport::Alerts().clear();
    AppSettings().Remove(Settings::Name(Settings::OPEN, Settings::FILE));
    AppSettings().Remove(Settings::Name(Settings::SESSION, Settings::ID));
    AppSettings().Remove(Settings::SEND_STATISTICS);
  }
  ~MediatorTest() override { ApplicationTrackerFactory::SetFactoryHook(nullptr); }

  // A mediator built with these words after the program's name; every open goes to `factory_`.
  std::unique_ptr<Mediator> Make(std::vector<std::string> words = {}) {
    words.insert(words.begin(), "glimra");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    auto mediator = std::make_unique<Mediator>(int(words.size()), argv.data(), window_);
    mediator->SetEngineFactory([this](const IGlimraCore::Initializer& init) {
      opened_.push_back(init.filePath);
      sessions_.push_back(init.sessionId);
      return factory_(init);
    });
    return mediator;
  }

  // A fake engine that opens a small JPEG.
  GlimraCorePtr Engine() {
    GlimraCorePtr engine(new TestSupport::NiceFakeEngine);
    FormatCodecVideoPtr& codec = codecs_.emplace_back(IFormatCodecVideo::Create());
    codec->InitByPixelAspect(64, 48, 1, 1);
    Property description = codec->GetSettings();
    description.SetChildT(IFormatCodec::TAG_CODEC_ID, std::string(IFormatCodecVideo::CODEC_ID_MJPEG));
    codec->SetSettings(description);
    ON_CALL(static_cast<TestSupport::NiceFakeEngine&>(*engine), GetFormatCodec()).WillByDefault(ReturnRef(codec));
    return engine;
  }

  std::vector<QString> AlertTexts() const {
    std::vector<QString> texts;
    for (const TestSupport::AlertRecord& alert : TestSupport::Alerts()) texts.push_back(alert.text);
    return texts;
  }

  std::deque<FormatCodecVideoPtr> codecs_;  // stable: the fakes return references to them
  MainWindow window_{nullptr, Qt::WindowFlags()};
  std::function<GlimraCorePtr(const IGlimraCore::Initializer&)> factory_ = [this](const IGlimraCore::Initializer&) {
    return Engine();
  };
  std::vector<std::string> opened_;
  std::vector<std::string> sessions_;
};

TEST_F(MediatorTest, HelpWordsShowTheOptionsOnceTheApplicationStarted) {
  const QString help = QStringLiteral(
      "Allowed options:\n -? [ --help ] show this message\n -i [ --input-file ] [filename] input file\n");
  for (const char* word : {"--help", "-?", "-help", "--HELP"}) {
    TestSupport::Alerts().clear();
    auto mediator = Make({word});
    EXPECT_TRUE(TestSupport::Alerts().empty()) << "not before the start";
    mediator->HandleApplicationStarted();
    ASSERT_EQ(TestSupport::Alerts().size(), 1u) << word;
    EXPECT_EQ(TestSupport::Alerts()[0].text, help) << word;
    EXPECT_EQ(TestSupport::Alerts()[0].level, 0);
  }

  TestSupport::Alerts().clear();
  Make({"--foo", "/?"})->HandleApplicationStarted();
  EXPECT_TRUE(TestSupport::Alerts().empty()) << "unknown options and slash words are no help requests";
}

TEST_F(MediatorTest, HelpWithAFileShowsTheHelpFirstThenOpensTheFile) {
  auto mediator = Make({"--help", "photo.png"});
  window_.show();
  EXPECT_TRUE(opened_.empty()) << "the open waits for the help";
  std::vector<std::string> openedAtHelp{"unset"};
  TestSupport::AnswerAlerts([this, &openedAtHelp](Zentor::App::AlertBox&) {
    openedAtHelp = opened_;
    return int(QMessageBox::Ok);
  });
  mediator->HandleApplicationStarted();
  TestSupport::AnswerAlerts(nullptr);
  ASSERT_EQ(TestSupport::Alerts().size(), 1u);
  EXPECT_TRUE(openedAtHelp.empty());
  EXPECT_EQ(opened_, std::vector<std::string>{"photo.png"});
  window_.hide();
}

TEST_F(MediatorTest, CommandLineOpensItsFirstImageOnTheFirstShowOnly) {
  const auto openedOnShow = [this](std::vector<std::string> words) {
    opened_.clear();
    auto mediator = Make(std::move(words));
    EXPECT_TRUE(opened_.empty()) << "nothing before the show";
    window_.show();
    window_.hide();
    window_.show();
    window_.hide();
    return opened_;
  };
  EXPECT_EQ(openedOnShow({"photo.xyz", "photo.png", "other.jpg"}), std::vector<std::string>{"photo.png"});
  EXPECT_EQ(openedOnShow({"/home/u/a.png"}), std::vector<std::string>{"/home/u/a.png"}) << "no option";
  EXPECT_EQ(openedOnShow({"--foo", "-i", "b.png"}), std::vector<std::string>{"b.png"});
  EXPECT_TRUE(openedOnShow({"x.txt"}).empty());
  EXPECT_TRUE(TestSupport::Alerts().empty());
}

TEST_F(MediatorTest, AnImageBegunBeforeTheWindowOpensOnTheShowAndItsFailureShowsTheUsualError) {
  char name[] = "glimra";
  GlimraCorePtr early = Engine();
  std::vector<std::string> loaded;  // by the start's thread, read after the open joined it
  const auto showWith = [&](std::string word, const WorkspaceController::EngineFactory& engine) {
    char* argv[] = {name, word.data(), nullptr};
    Mediator mediator(2, argv, window_, Mediator::BeginStart(2, argv, [&](const IGlimraCore::Initializer& init) {
                        loaded.push_back(init.filePath);
                        return engine(init);
                      }));
    window_.show();
    window_.hide();
    return early->GetRefCount();
  };
  EXPECT_GT(showWith("/pictures/early.jpg", [&](const IGlimraCore::Initializer&) { return early; }), 1u)
      << "the window shows the engine the start made";
  EXPECT_EQ(loaded, std::vector<std::string>{"/pictures/early.jpg"}) << "made once";
  EXPECT_TRUE(TestSupport::Alerts().empty());

  showWith("/pictures/broken.jpg", [](const IGlimraCore::Initializer&) -> GlimraCorePtr {
    throw std::runtime_error("bad");
  });
  EXPECT_EQ(loaded.size(), 2u);
  EXPECT_EQ(AlertTexts(), std::vector<QString>{OPEN_ERROR.arg(QStringLiteral("broken.jpg"))});
}

TEST_F(MediatorTest, NamesThatAreNoValidUtf8ReachTheEngineByteForByte) {
  const std::string latin1 = "/pictures/caf\xe9 \xff.jpg";
  {
    auto mediator = Make({latin1});
    window_.show();
    window_.hide();
    EXPECT_EQ(opened_, std::vector<std::string>{latin1}) << "from the command line";
  }
  opened_.clear();
  auto mediator = Make();
  ApplicationEventFilter filter(nullptr, *mediator);
  qApp->installEventFilter(&filter);
  QFileOpenEvent desktop(QUrl::fromEncoded("file://" + QByteArray::fromStdString(latin1).toPercentEncoding("/")));
  EXPECT_TRUE(QCoreApplication::sendEvent(qApp, &desktop));
  TestSupport::Drain();
  EXPECT_EQ(opened_, std::vector<std::string>{latin1}) << "from a desktop open event";
  EXPECT_TRUE(TestSupport::Alerts().empty());
}

TEST_F(MediatorTest, FailedOpenOfAnyKindShowsTheErrorAndKeepsTheOpenImage) {
  auto mediator = Make();
  GlimraCorePtr first = Engine();
  factory_ = [&](const IGlimraCore::Initializer&) { return first; };
  mediator->AddFileToOpen(QStringLiteral("/pictures/first.jpg"));
  ASSERT_TRUE(TestSupport::Alerts().empty());
  const auto held = first->GetRefCount();
  EXPECT_GT(held, 1u) << "the window holds the image";

  const std::vector<std::function<void()>> failures = {
      [] { throw std::runtime_error("bad"); },
      [] { ZENTOR_THROW_DESC(Zentor::Exception, "bad"); },
      [] { throw 42; },
  };
  for (const auto& fail : failures) {
    factory_ = [&](const IGlimraCore::Initializer&) -> GlimraCorePtr {
      fail();
      return nullptr;
    };
    mediator->AddFileToOpen(QStringLiteral("/pictures/second.jpg"));
  }
  EXPECT_EQ(AlertTexts(), std::vector<QString>(3, OPEN_ERROR.arg(QStringLiteral("second.jpg"))));
  EXPECT_EQ(first->GetRefCount(), held) << "the first image stays open";

  mediator.reset();
  EXPECT_EQ(first->GetRefCount(), 1u) << "the document goes with the mediator, before its statistics handler";
}

TEST_F(MediatorTest, AnOpenRefusedAtTheSaveQuestionKeepsTheLastSessionOfTheKeptImage) {
  auto mediator = Make();
  mediator->AddFileToOpen(QStringLiteral("/pictures/kept.jpg"));
  const auto setting = [](const std::string& a, const std::string& b) {
    return AppSettings().GetString(Settings::Name(a, b), "unset");
  };
  const std::string session = setting(Settings::SESSION, Settings::ID);
  ASSERT_EQ(setting(Settings::OPEN, Settings::FILE), "/pictures/kept.jpg");
  window_.HandleEventChangeToSaveInternal(true);

  TestSupport::AnswerAlerts([](Zentor::App::AlertBox& box) {
    for (QAbstractButton* button : box.buttons()) {
      if (button->text() == QLatin1String("Cancel")) button->click();
    }
    return 0;
  });
  mediator->AddFileToOpen(QStringLiteral("/other/refused.jpg"));
  TestSupport::AnswerAlerts(nullptr);
  ASSERT_EQ(TestSupport::Alerts().size(), 1u) << "the save-changes question";
  ASSERT_EQ(sessions_.size(), 2u);
  EXPECT_EQ(setting(Settings::OPEN, Settings::FILE), "/pictures/kept.jpg");
  EXPECT_EQ(setting(Settings::OPEN, Settings::PATH), "/pictures");
  EXPECT_EQ(setting(Settings::SESSION, Settings::ID), session);
  const QString sessions = Zentor::App::Application::GetApplicationTemporaryFilesDir();
  EXPECT_TRUE(QFileInfo::exists(sessions + QString::fromStdString(session)));
  EXPECT_FALSE(QFileInfo::exists(sessions + QString::fromStdString(sessions_[1]))) << "the refused one leaves nothing";
  window_.HandleEventChangeToSaveInternal(false);
}

TEST_F(MediatorTest, LastSessionIsRestoredOnlyWhenStoredAndNotHeldByAnotherCopy) {
  auto mediator = Make();
  mediator->RestoreLastSession();
  EXPECT_EQ(AlertTexts(), std::vector<QString>{OPEN_ERROR.arg(QString())});
  EXPECT_TRUE(opened_.empty());

  AppSettings().SetString(Settings::Name(Settings::OPEN, Settings::FILE), "/pictures/last.jpg");
  AppSettings().SetString(Settings::Name(Settings::SESSION, Settings::ID), "last");
  const QString folder = Zentor::App::Application::GetApplicationTemporaryFilesDir() + QStringLiteral("last/");
  {
    Zentor::App::SessionFolderLock otherCopy(folder);
    TestSupport::Alerts().clear();
    mediator->RestoreLastSession();
    EXPECT_EQ(AlertTexts(), std::vector<QString>{OPEN_ERROR.arg(QStringLiteral("last.jpg"))});
    EXPECT_TRUE(opened_.empty()) << "a session in use is left alone";
  }
  TestSupport::Alerts().clear();
  mediator->RestoreLastSession();
  EXPECT_TRUE(TestSupport::Alerts().empty());
  EXPECT_EQ(opened_, std::vector<std::string>{"/pictures/last.jpg"});
  EXPECT_EQ(sessions_, std::vector<std::string>{"last"});
}

TEST_F(MediatorTest, ARestoreWaitsForTheCopyThatIsClosingTheSession) {
  AppSettings().SetString(Settings::Name(Settings::OPEN, Settings::FILE), "/pictures/last.jpg");
  AppSettings().SetString(Settings::Name(Settings::SESSION, Settings::ID), "closing");
  auto closing = std::make_unique<Zentor::App::SessionFolderLock>(
      Zentor::App::Application::GetApplicationTemporaryFilesDir() + QStringLiteral("closing/"));
  // The closing copy lets go of its session a moment after the restore was asked for.
  std::thread closer([&closing] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    closing.reset();
  });
  auto mediator = Make();
  mediator->RestoreLastSession();
  closer.join();
  EXPECT_TRUE(TestSupport::Alerts().empty());
  EXPECT_EQ(sessions_, std::vector<std::string>{"closing"});
}

TEST_F(MediatorTest, LastSessionOpenedAfreshIsReportedOnceThePictureIsShown) {
  auto mediator = Make();
  factory_ = [this](const IGlimraCore::Initializer&) {
    GlimraCorePtr engine = Engine();
    ON_CALL(static_cast<TestSupport::NiceFakeEngine&>(*engine), IsSessionRestored()).WillByDefault(testing::Return(false));
    return engine;
  };
  mediator->AddFileToOpen(QStringLiteral("/pictures/new.jpg"));
  EXPECT_TRUE(TestSupport::Alerts().empty()) << "a new picture has no session to restore";

  AppSettings().SetString(Settings::Name(Settings::OPEN, Settings::FILE), "/pictures/last.jpg");
  AppSettings().SetString(Settings::Name(Settings::SESSION, Settings::ID), "last");
  mediator->RestoreLastSession();
  EXPECT_EQ(AlertTexts(),
            std::vector<QString>{QStringLiteral("The last session could not be restored; the picture was opened as saved.")});
  EXPECT_EQ(opened_.back(), "/pictures/last.jpg");
  EXPECT_EQ(sessions_.back(), "last");
}

TEST_F(MediatorTest, PrintScreenIsCountedUntilStatisticsAreTurnedOff) {
  int screenshots = 0;
  ApplicationTrackerFactory::SetFactoryHook(
      [&] { return Zentor::Tracking::ApplicationTrackerPtr(new FakeTracker(screenshots)); });
  auto mediator = Make();
  window_.show();
  QTest::keyClick(window_.windowHandle(), Qt::Key_Print);
  EXPECT_EQ(screenshots, 1);

  // Answers the preferences: statistics off, then OK.
  QTimer::singleShot(0, &window_, [] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<PreferencesDialog*>(widget);
      if (!dialog || !dialog->isVisible()) continue;
      dialog->findChild<QCheckBox*>(QStringLiteral("checkBoxSendStatistics"))->click();
      dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
    }
  });
  mediator->HandlePreferencesDialog();
  EXPECT_FALSE(AppSettings().GetBool(Settings::SEND_STATISTICS, true));
  QTest::keyClick(window_.windowHandle(), Qt::Key_Print);
  EXPECT_EQ(screenshots, 1) << "off at once";

  mediator.reset();
  Mediator::HookPrintScreenStatistics();  // no handler any more: nothing happens
  EXPECT_EQ(screenshots, 1);
}

TEST_F(MediatorTest, DesktopOpenRequestIsQueuedForImagesAndDroppedOtherwise) {
  auto mediator = Make();
  ApplicationEventFilter filter(nullptr, *mediator);
  qApp->installEventFilter(&filter);
  QFileOpenEvent text(QStringLiteral("/notes/x.txt"));
  QFileOpenEvent photo(QStringLiteral("/pictures/photo.jpg"));
  EXPECT_TRUE(QCoreApplication::sendEvent(qApp, &text)) << "consumed";
  EXPECT_TRUE(QCoreApplication::sendEvent(qApp, &photo));
  EXPECT_TRUE(opened_.empty()) << "not opened inside the event's delivery";
  TestSupport::Drain();
  EXPECT_EQ(opened_, std::vector<std::string>{"/pictures/photo.jpg"});
}

}  // namespace
