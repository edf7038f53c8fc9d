// The document commands with a fake controller and scripted dialogs: the save-changes and
// overwrite questions, Save As, selection files, print, quit, zoom states, usage events and the
// alert for every kind of failure.
#include "MainWindowTestSupport.h"

#include "Customization/SettingsName.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/AppShell/CustomizationManager.h"
#include "Platform/AppShell/LookAndFeelManager.h"
#include "Platform/AppShell/SettingsManager.h"
#include "UI/PicturePrinter.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

using testing::_;
using testing::Return;
using Zentor::Core::Property;
using Zentor::Glimra::MainWindow;
using Zentor::Glimra::WorkspaceControllerPtr;

struct DocumentCommandsTest : testing::Test {
  DocumentCommandsTest() {
    auto ownDialogs = std::make_unique<TestSupport::ScriptedDialogs>();
    auto ownPanel = std::make_unique<TestSupport::ScriptedSavePanel>();
    dialogs = ownDialogs.get();
    panel = ownPanel.get();
    window.SetDocumentDialogs(std::move(ownDialogs));
    window.SetSaveFilePanel(std::move(ownPanel));
    window.RegisterEventHandler(&statistics);
    TestSupport::Alerts().clear();
    TestSupport::AnswerAlerts(nullptr);
  }
  ~DocumentCommandsTest() override { TestSupport::AnswerAlerts(nullptr); }

  // Installs the fake controller and lets the engine report a change.
  void OpenModified() {
    window.SetWorkspaceController(WorkspaceControllerPtr(fake.get()));
    fake->ReportChanged(true);
    TestSupport::Drain();
  }
  QAction* Action(const char* name) { return window.findChild<QAction*>(name); }

  boost::intrusive_ptr<TestSupport::NiceFakeController> fake{new TestSupport::NiceFakeController};
  MainWindow window;
  TestSupport::ScriptedDialogs* dialogs;
  TestSupport::ScriptedSavePanel* panel;
  TestSupport::StatisticsHandler statistics;
};

TEST_F(DocumentCommandsTest, TheSaveChangesQuestionLetsTheDocumentGoOnlyWhenDiscardedOrReallySaved) {
  window.SetWorkspaceController(WorkspaceControllerPtr(fake.get()));
  TestSupport::Drain();
  EXPECT_TRUE(window.DiscardUnsavedChanges());
  EXPECT_TRUE(TestSupport::Alerts().empty());
  EXPECT_TRUE(Action("actionSave_as")->isEnabled());
  EXPECT_FALSE(Action("actionSave")->isEnabled());

  fake->ReportChanged(true);
  TestSupport::Drain();
  EXPECT_TRUE(Action("actionSave")->isEnabled());
  TestSupport::AnswerWith({"Esc", "Cancel", "Don't Save"});
  EXPECT_FALSE(window.DiscardUnsavedChanges());
  EXPECT_FALSE(window.DiscardUnsavedChanges());
  EXPECT_TRUE(window.DiscardUnsavedChanges());
  ASSERT_EQ(TestSupport::Alerts().size(), 3u);
  EXPECT_EQ(TestSupport::Alerts()[0].title, QStringLiteral("Attention"));
  EXPECT_EQ(TestSupport::Alerts()[0].level, 2);

  // Save, then No or Esc in the overwrite question: nothing saved, the document stays.
  EXPECT_CALL(*fake, SaveOverwrite()).Times(0);
  TestSupport::AnswerWith({"Save", "No", "Save", "Esc"});
  EXPECT_FALSE(window.DiscardUnsavedChanges());
  EXPECT_FALSE(window.DiscardUnsavedChanges());
  testing::Mock::VerifyAndClearExpectations(fake.get());

  // Yes, but the engine reports a failure instead of the saved state.
  EXPECT_CALL(*fake, SaveOverwrite()).WillOnce([this] {
    for (auto* handler : fake->core) handler->Throw(boost::copy_exception(std::runtime_error("disk full")));
    return true;
  });
  TestSupport::AnswerWith({"Save", "Yes"});
  EXPECT_FALSE(window.DiscardUnsavedChanges());
  EXPECT_EQ(TestSupport::Alerts().back().text, QStringLiteral("disk full"));

  // Save As from the overwrite question, cancelled in the panel.
  TestSupport::AnswerWith({"Save", "Save As..."});
  EXPECT_FALSE(window.DiscardUnsavedChanges());
  EXPECT_EQ(panel->runs, 1);

  // A save that succeeds.
  EXPECT_CALL(*fake, SaveOverwrite()).WillOnce([this] {
    fake->ReportChanged(false);
    return true;
  });
  TestSupport::AnswerWith({"Save", "Yes"});
  EXPECT_TRUE(window.DiscardUnsavedChanges());
  EXPECT_FALSE(Action("actionSave")->isEnabled());
}

TEST_F(DocumentCommandsTest, BothQuestionsKeepTheirTranslatedTitle) {
  Zentor::App::LookAndFeelManager german(Zentor::App::GetPathToResources(), {"qt", "Glimra"});
  german.Initialize("de", Zentor::App::ILookAndFeelManager::themeDefault);
  OpenModified();
  TestSupport::AnswerWith({"Esc", "Esc"});
  window.DiscardUnsavedChanges();
  window.SaveOverwrite();
  ASSERT_EQ(TestSupport::Alerts().size(), 2u);
  EXPECT_EQ(TestSupport::Alerts()[0].title, QStringLiteral("Achtung"));
  EXPECT_EQ(TestSupport::Alerts()[1].title, QStringLiteral("Achtung"));
  german.SetCurrentLocale("en");
}

TEST_F(DocumentCommandsTest, ANewImageIsRefusedWhileTheUserKeepsTheDocument) {
  OpenModified();
  boost::intrusive_ptr<TestSupport::NiceFakeController> second{new TestSupport::NiceFakeController};
  TestSupport::AnswerWith({"Cancel"});
  window.SetWorkspaceController(WorkspaceControllerPtr(second.get()));
  EXPECT_TRUE(second->core.empty());
  TestSupport::AnswerWith({"Don't Save"});
  window.SetWorkspaceController(WorkspaceControllerPtr(second.get()));
  EXPECT_EQ(second->core.size(), 1u);
  EXPECT_FALSE(second->drawer.empty());
  TestSupport::Drain();
}

TEST_F(DocumentCommandsTest, SaveAsHandsTheOptionsBackEvenWhenCancelledAndFallsBackFromAnUnwritableFormat) {
  Property info("frame");
  info.SetChild(Zentor::Glimra::IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS)
      .SetChild(Zentor::Glimra::Settings::FORMAT_SAVE_SETTINGS)
      .SetChildT<long long>("quality", 5);
  ON_CALL(*fake, GetFrameInfo()).WillByDefault(Return(info));
  ON_CALL(*fake, GetFileName()).WillByDefault(Return(QStringLiteral("/photos/anim.gif")));
  OpenModified();

  Property handedBack;
  EXPECT_CALL(*fake, SetSaveReplaceSettings(_)).WillOnce(testing::SaveArg<0>(&handedBack));
  panel->changeOptions = [](Property& options) { options.SetChildT<long long>("quality", 9); };
  EXPECT_CALL(*fake, Save(_)).Times(0);
  Action("actionSave_as")->trigger();
  EXPECT_EQ(handedBack["quality"].GetInt64(), 9);
  EXPECT_EQ(panel->shownFile, QStringLiteral("/photos/anim.gif"));
  testing::Mock::VerifyAndClearExpectations(fake.get());

  // Yes in the overwrite question for a format that cannot be written: Save As follows.
  EXPECT_CALL(*fake, SaveOverwrite()).WillOnce(Return(false));
  EXPECT_CALL(*fake, Save(QStringLiteral("/out/anim.jpg")));
  panel->answer = QStringLiteral("/out/anim.jpg");
  TestSupport::AnswerWith({"Yes"});
  window.SaveOverwrite();
  EXPECT_EQ(statistics.names, std::vector<std::string>{"SAVE_CLICK"});
}

TEST_F(DocumentCommandsTest, SelectionFilesGetTheMaskSuffixAndRememberTheirFolders) {
  TestSupport::TempFolder folder("glimra-selection");
  OpenModified();
  dialogs->answers = {QString::fromStdString(folder.File("mask")), QString::fromStdString(folder.File("in.pgm"))};
  EXPECT_CALL(*fake, SaveSelection(folder.File("mask.pgm")));
  EXPECT_CALL(*fake, LoadSelection(folder.File("in.pgm")));
  window.BrowseToSaveSelection();
  window.BrowseToOpenSelection();
  ASSERT_EQ(dialogs->requests.size(), 2u);
  EXPECT_EQ(dialogs->requests[0].start, QStringLiteral("/photos/holiday"));
  EXPECT_TRUE(dialogs->requests[0].filter.contains(QStringLiteral("*.pgm")));
  const std::string saved = Zentor::App::AppSettings().GetString("SaveMaskPath", "");
  EXPECT_EQ(saved + "/", folder.Folder());
  EXPECT_EQ(Zentor::App::AppSettings().GetString("OpenMaskPath", "") + "/", folder.Folder());

  // Cancelled dialogs change nothing.
  window.BrowseToSaveSelection();
  window.BrowseToOpenSelection();
  EXPECT_EQ(dialogs->requests[2].start, QString::fromStdString(folder.File("holiday")));
}

TEST_F(DocumentCommandsTest, OpenEmitsTheChosenFileAndTheOpenErrorEscapesTheName) {
  dialogs->answers = {QStringLiteral("/photos/a.png")};
  QSignalSpy opened(&window, &MainWindow::openFile);
  window.findChild<QAbstractButton*>("openButton")->click();
  window.BrowseToOpenFile();
  ASSERT_EQ(opened.count(), 1);
  EXPECT_EQ(opened.at(0).at(0).toString(), QStringLiteral("/photos/a.png"));
  EXPECT_TRUE(dialogs->requests[0].filter.contains(QStringLiteral("*.jpg")));

  window.ShowOpenError(QStringLiteral("/tmp/<b>x.jpg"));
  const QString text = TestSupport::Alerts().back().text;
  EXPECT_TRUE(text.contains(QStringLiteral("'&lt;b&gt;x.jpg'"))) << text.toStdString();
  EXPECT_EQ(TestSupport::Alerts().back().level, 1);
}

TEST_F(DocumentCommandsTest, ZoomActionsFollowTheScaleFlagsAndUsageEventsAreNamed) {
  using Flags = Zentor::Glimra::IScalableView::ScalePolicyFlags;
  const char* const zoom[] = {"actionZoom_in", "actionZoom_out", "actionActual_size", "actionFit_to_screen"};
  const std::pair<int, std::vector<bool>> cases[] = {
      {0, {false, false, false, false}}, {1, {true, false, true, true}}, {2, {false, true, true, true}},
      {3, {true, true, true, true}}};
  for (const auto& [flags, enabled] : cases) {
    window.OnScaleEnabled(Flags(flags));
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Action(zoom[i])->isEnabled(), enabled[i]) << flags << zoom[i];
  }
  window.OnEffectCanceled("$$A$$B");
  window.OnSaveClicked();
  EXPECT_EQ(statistics.names, (std::vector<std::string>{"AB_CANCEL", "SAVE_CLICK"}));
}

template <class E>
boost::exception_ptr EngineFailure(const char* text, Zentor::Glimra::ExceptionLevelIDs level) {
  try {
    ZENTOR_THROW(E() << Zentor::TagDescription(text) << Zentor::Glimra::TagLevelID(level));
  } catch (...) {
    return boost::current_exception();
  }
}

struct Unclassified {};

TEST_F(DocumentCommandsTest, EveryKindOfFailureEndsInOneAlertAndAnErrorLine) {
  using namespace Zentor::Glimra;
  const std::vector<boost::exception_ptr> engine = {
      EngineFailure<GlimraException>("a", LEVEL_ALERT), EngineFailure<IOException>("b", LEVEL_NOTICE),
      EngineFailure<IOExceptionTempFolder>("c", LEVEL_DEFAULT), EngineFailure<SelectionException>("d", LEVEL_ALERT),
      EngineFailure<TooSmallSelectionException>("e", LEVEL_ALERT),
      EngineFailure<TooLargeSelectionException>("f", LEVEL_ALERT),
      EngineFailure<IncorrectSizeSelectionException>("g", LEVEL_ALERT),
      EngineFailure<CropSettingsException>("h", LEVEL_ALERT), EngineFailure<PainterException>("i", LEVEL_ALERT),
      EngineFailure<BrushException>("j", LEVEL_ALERT)};
  for (const auto& failure : engine) window.ThrowInternal(failure);
  const int levels[] = {0, 2, 1, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(TestSupport::Alerts().size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(TestSupport::Alerts()[i].text, QString(QChar('a' + int(i))));
    EXPECT_EQ(TestSupport::Alerts()[i].level, levels[i]);
  }

  TestSupport::Alerts().clear();
  TestSupport::LogCapture log(google::GLOG_ERROR);
  const auto capture = [](const std::function<void()>& raise) {
    try {
      raise();
    } catch (...) {
      return boost::current_exception();
    }
    return boost::exception_ptr();
  };
  window.ThrowInternal(capture([] { ZENTOR_THROW(GlimraException()); }));
  window.ThrowInternal(capture([] { ZENTOR_THROW_DESC(Zentor::Core::MemoryException, "frame of 9 GB"); }));
  window.ThrowInternal(capture([] { ZENTOR_THROW_DESC(Zentor::Proc::EffectException, "effect broke"); }));
  window.ThrowInternal(capture([] { throw std::bad_alloc(); }));
  window.ThrowInternal(capture([] { throw std::runtime_error("plain"); }));
  window.ThrowInternal(capture([] { throw Unclassified(); }));
  window.ThrowInternal(capture([] { throw 42; }));
  window.ThrowInternal(boost::exception_ptr());
  const QStringList texts = {"Unknown error", "Not enough memory", "effect broke", "Not enough memory",
                             "plain", "Unknown error", "Unknown error"};
  ASSERT_EQ(TestSupport::Alerts().size(), 7u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(TestSupport::Alerts()[i].text, texts[i]);
    EXPECT_EQ(TestSupport::Alerts()[i].level, 1);
  }
  const auto lines = log.Texts(google::GLOG_ERROR);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1].rfind("frame of 9 GB\n", 0), 0u);
}

TEST_F(DocumentCommandsTest, QuittingTwiceAsksOnce) {
  OpenModified();
  window.show();
  TestSupport::AnswerWith({"Cancel", "Don't Save"});
  window.close();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.OnQuit());
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(window.OnQuit());
  window.show();
  window.close();
  EXPECT_EQ(TestSupport::Alerts().size(), 2u);
}

// Where a picture lands on a page of A4's printable area at 96 dpi (767 x 1097).
QRect Printed(const QSize& size) {
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QImage page(767, 1097, QImage::Format_RGB32);
  page.fill(Qt::white);
  EXPECT_TRUE(Zentor::Glimra::PicturePrinter::Print(picture, page));
  QRect covered;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      if (page.pixelColor(x, y).red() > 128 && page.pixelColor(x, y).green() < 128) covered |= QRect(x, y, 1, 1);
    }
  }
  return covered;
}

TEST_F(DocumentCommandsTest, PrintingWritesTheWholePictureShrunkToThePage) {
  EXPECT_EQ(Zentor::Glimra::PicturePrinter::FitIntoPage(QSize(4000, 3000), QSizeF(500, 800)), QRectF(0, 0, 500, 375));
  EXPECT_EQ(Zentor::Glimra::PicturePrinter::FitIntoPage(QSize(100, 50), QSizeF(500, 800)), QRectF(0, 0, 100, 50));
  // Wider than the page: the whole width of the page, the aspect kept. Smaller: its own size.
  EXPECT_EQ(Printed(QSize(1600, 1200)), QRect(0, 0, 767, 575));
  EXPECT_EQ(Printed(QSize(868, 2000)), QRect(0, 0, 476, 1097));
  EXPECT_EQ(Printed(QSize(300, 200)), QRect(0, 0, 300, 200));

  QTemporaryDir folder;
  const QString pdf = folder.filePath("print.pdf");
  QImage picture(1600, 1200, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  ON_CALL(*fake, GetFrame()).WillByDefault(Return(picture));
  OpenModified();
  QString docName;
  dialogs->print = [&](QPrinter& printer) {
    docName = printer.docName();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    return true;
  };
  Action("actionPrint")->trigger();
  EXPECT_EQ(docName, QStringLiteral("holiday"));
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  // The picture goes in whole, at its own pixel size.
  EXPECT_TRUE(bytes.contains("/Width 1600") && bytes.contains("/Height 1200"));

  // A printer that cannot start is reported.
  dialogs->print = [](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/proc/no-such-folder/print.pdf"));
    return true;
  };
  TestSupport::Alerts().clear();
  Action("actionPrint")->trigger();
  EXPECT_EQ(TestSupport::Alerts().size(), 1u);
}

}  // namespace

TEST_F(DocumentCommandsTest, ReleasingTheDocumentWritesItsSessionOnceEvenWhenTheWriteFails) {
  window.SetWorkspaceController(WorkspaceControllerPtr(fake.get()));
  EXPECT_CALL(*fake, SaveSession()).WillOnce([] { throw std::runtime_error("disk full"); });
  window.ReleaseWorkspaceController();
  testing::Mock::VerifyAndClearExpectations(fake.get());
  // Nothing is left to write when the window goes.
  EXPECT_CALL(*fake, SaveSession()).Times(0);
}
