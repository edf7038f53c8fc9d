#include "main/Mediator.h"

#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "Engine/StatisticsEventHandler.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/AlertBox.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/SessionFolderLock.h"
#include "Platform/AppShell/UpdateManager.h"
#include "Platform/QtGlue/HookerPrintScreen.h"
#include "UI/MainWindow.h"
#include "UI/PreferencesDialog.h"
#include "main/Application.h"

#include <QDesktopServices>
#include <QFile>
#include <QPixmap>
#include <QUrl>

#include <boost/exception/diagnostic_information.hpp>
#include <boost/program_options.hpp>
#include <glog/logging.h>

#include <sstream>
#include <vector>

namespace Zentor {
namespace Glimra {

namespace po = boost::program_options;

StatisticsEventHandler* Mediator::s_statisticsEventHandler = nullptr;

namespace {

// How long a restore waits for a copy of the program that still holds the session while it closes.
constexpr int CLOSING_COPY_WAIT_MS = 2000;

// Every style but "/" for short options, with which an absolute path would be taken for one.
constexpr int COMMAND_LINE_STYLE =
    po::command_line_style::allow_long | po::command_line_style::allow_short |
    po::command_line_style::allow_dash_for_short | po::command_line_style::long_allow_adjacent |
    po::command_line_style::long_allow_next | po::command_line_style::short_allow_adjacent |
    po::command_line_style::short_allow_next | po::command_line_style::allow_sticky |
    po::command_line_style::allow_guessing | po::command_line_style::long_case_insensitive |
    po::command_line_style::short_case_insensitive | po::command_line_style::allow_long_disguise;

const App::ILinksManager& Links() {
  if (const App::Application* application = App::Application::Instance()) return *application;
  static const App::LinksManager fallback;
  return fallback;
}

}  // namespace

Mediator::Start::Start() = default;
Mediator::Start::Start(Start&&) noexcept = default;
Mediator::Start& Mediator::Start::operator=(Start&&) noexcept = default;
Mediator::Start::~Start() = default;

Mediator::Start Mediator::BeginStart(int argc, char** argv, const WorkspaceController::EngineFactory& factory) {
  Start start;
  start.statistics = std::make_unique<StatisticsEventHandler>();
  std::string file;
  std::string help;
  if (!ParseCommandLine(argc, argv, file, help) || file.empty()) return start;
  try {
    start.open = WorkspaceController::BeginOpen(start.statistics.get(), file, factory);
  } catch (...) {
    // The open at the window's show does it all again and reports what fails.
    LOG(WARNING) << "Cannot begin to open " << file << ": " << boost::current_exception_diagnostic_information();
  }
  return start;
}

Mediator::Mediator(int argc, char** argv, MainWindow& mainWindow) : Mediator(argc, argv, mainWindow, Start()) {}

Mediator::Mediator(int argc, char** argv, MainWindow& mainWindow, Start start)
    : mainWindow_(mainWindow),
      statisticsEventHandler_(start.statistics ? std::move(start.statistics)
                                               : std::make_unique<StatisticsEventHandler>()),
      pendingOpen_(std::move(start.open)) {
  App::Application* application = App::Application::Instance();
  if (application) customization_ = application->GetCustomizationManager();

  printScreenHook_ = std::make_unique<Core::HookerPrintScreen>(&Mediator::HookPrintScreenStatistics);

  connect(&mainWindow_, &MainWindow::openFile, this, &Mediator::AddFileToOpen);
  connect(&mainWindow_, &MainWindow::restoreLastSession, this, &Mediator::RestoreLastSession);
  connect(&mainWindow_, &MainWindow::showPreferencesDialog, this, &Mediator::HandlePreferencesDialog);
  connect(&mainWindow_, &MainWindow::faqRequested, this, &Mediator::HandleFAQ);
  connect(&mainWindow_, &MainWindow::contactSupport, this, &Mediator::HandleContactSupport);
  connect(&mainWindow_, &MainWindow::checkForUpdateRequested, this, &Mediator::HandleCheckForUpdates);
  connect(&mainWindow_, &MainWindow::needHelp, this, &Mediator::HandleHelp);
  connect(&mainWindow_, &MainWindow::showToParent, this, &Mediator::HandleMainWindowShow);

  if (auto* glimra = qobject_cast<Application*>(application))
    connect(glimra, &Application::moreLanguagesClicked, this, &Mediator::HandleMoreLanguages);
  if (application) {
    connect(application, &App::Application::ApplicationStarted, this, &Mediator::HandleApplicationStarted);
    connect(application, &App::Application::AutoUpdateCheckRequested, this, &Mediator::HandleCheckForAutoUpdates);
  }

  statisticsEventHandler_->setEnabled(
      App::Application::CurrentSettings().GetBool(Settings::SEND_STATISTICS, Settings::SEND_STATISTICS_DEFAULT));
  s_statisticsEventHandler = statisticsEventHandler_.get();
  mainWindow_.RegisterEventHandler(statisticsEventHandler_.get());

  ProcessCommandLine(argc, argv);
}

Mediator::~Mediator() {
  s_statisticsEventHandler = nullptr;
  // Every holder of the handler goes before it: the window's list, and the document, whose
  // controller and engine (with its threads) report to it.
  mainWindow_.UnregisterEventHandler(statisticsEventHandler_.get());
  mainWindow_.ReleaseWorkspaceController();
  pendingOpen_.reset();
  printScreenHook_.reset();
  statisticsEventHandler_.reset();
  customization_.reset();
}

void Mediator::HookPrintScreenStatistics() {
  if (s_statisticsEventHandler)
    s_statisticsEventHandler->TrackEventStringInternal(IStatisticsEventHandler::NAME_GET_SCREENSHOT, {});
}

void Mediator::ProcessCommandLine(int argc, char** argv) { ParseCommandLine(argc, argv, fileToOpen_, helpText_); }

bool Mediator::ParseCommandLine(int argc, char** argv, std::string& file, std::string& help) {
  std::vector<std::string> files;
  po::options_description description(tr("Allowed options").toStdString());
  description.add_options()("help,?", tr("show this message").toStdString().c_str())(
      "input-file,i", po::value<std::vector<std::string>>(&files), tr("input file").toStdString().c_str());
  po::positional_options_description positional;
  positional.add("input-file", -1);

  const auto keepHelp = [&] {
    std::ostringstream text;
    text << description;
    help = text.str();
  };
  try {
    po::variables_map variables;
    po::store(po::command_line_parser(argc, argv)
                  .options(description)
                  .positional(positional)
                  .style(COMMAND_LINE_STYLE)
                  .allow_unregistered()
                  .run(),
              variables);
    po::notify(variables);
    if (variables.count("help")) {
      keepHelp();
      VLOG(31) << "Show command line help";
    }
  } catch (const po::unknown_option& e) {
    keepHelp();
    VLOG(21) << "Unknown command line parameter: " << e.get_option_name();
  } catch (const std::exception& e) {
    LOG(WARNING) << e.what();
    return false;
  }

  for (const std::string& word : files) {
    if (ExtensionFormatHelper::CanOpenFile(QFile::decodeName(QByteArray::fromStdString(word)))) {
      file = word;
      break;
    }
  }
  return true;
}

void Mediator::HandleMainWindowShow() {
  windowShown_ = true;
  OpenCommandLineFileWhenDue();
}

void Mediator::HandleApplicationStarted() {
  if (helpText_.empty()) return;
  ShowCommandLineHelp(QString::fromStdString(helpText_));
  helpShown_ = true;
  OpenCommandLineFileWhenDue();
}

void Mediator::OpenCommandLineFileWhenDue() {
  // Only once: a later show must not reopen the file over the user's work. Asked for help, the
  // user reads it first; the open's busy cursor and events would otherwise run under the alert.
  if (fileToOpen_.empty() || commandLineFileOpened_ || !windowShown_) return;
  if (!helpText_.empty() && !helpShown_) return;
  commandLineFileOpened_ = true;
  AddNativeFileToOpen(QByteArray::fromStdString(fileToOpen_));
}

void Mediator::ShowCommandLineHelp(const QString& help) {
  QString text = help;
  text.replace(QLatin1Char('\n'), QLatin1Char('$'));
  text = text.simplified();
  text.replace(QLatin1String("arg"), QStringLiteral("[%1]").arg(tr("filename")));
  text.replace(QLatin1Char('$'), QLatin1Char('\n'));
  App::AlertBox alert(App::AlertBox::LEVEL_ALERT, QString(), text, QMessageBox::Ok, &mainWindow_,
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  alert.setIconPixmap(QPixmap(QStringLiteral(":/Glimra/images/screamer_icon.png")));
  alert.exec();
}

void Mediator::AddFileToOpen(const QString& path) { AddNativeFileToOpen(QFile::encodeName(path)); }

void Mediator::AddNativeFileToOpen(const QByteArray& path) {
  try {
    Open(path.toStdString(), std::string());
  } catch (...) {
    LOG(WARNING) << "Cannot open " << path.toStdString() << ": " << boost::current_exception_diagnostic_information();
    mainWindow_.ShowOpenError(QFile::decodeName(path), boost::current_exception());
  }
}

void Mediator::RestoreLastSession() {
  const App::ISettingsManager& settings = App::AppSettings();
  const std::string file = settings.GetString(Settings::Name(Settings::OPEN, Settings::FILE), std::string());
  const std::string session = settings.GetString(Settings::Name(Settings::SESSION, Settings::ID), std::string());
  try {
    if (file.empty() || session.empty()) {
      LOG(WARNING) << "There is no last session to restore";
    } else if (App::SessionFolderLock::IsHeld(
                   App::Application::GetApplicationTemporaryFilesDir() + QString::fromStdString(session),
                   CLOSING_COPY_WAIT_MS)) {
      // Another running copy works in it; a second engine on the same folder would spoil both.
      // A copy that is closing writes its session and thumbnail and then lets go: that is waited for.
      LOG(WARNING) << "The last session is in use: " << session;
    } else {
      Open(file, session);
      return;
    }
  } catch (...) {
    LOG(WARNING) << "Cannot restore the last session: " << boost::current_exception_diagnostic_information();
    mainWindow_.ShowOpenError(QString::fromStdString(file), boost::current_exception());
    return;
  }
  mainWindow_.ShowOpenError(QString::fromStdString(file));
}

void Mediator::Open(const std::string& path, const std::string& sessionId) {
  bool taken = false;
  bool openedAfresh = false;
  {
    std::unique_ptr<WorkspaceController::PendingOpen> pending = std::move(pendingOpen_);
    const bool begun = pending && sessionId.empty() && pending->Path() == path && !engineFactory_;
    if (!begun) pending.reset();
    const WorkspaceController::Pointer controller =
        begun ? WorkspaceController::Create(statisticsEventHandler_.get(), std::move(pending))
              : WorkspaceController::Create(statisticsEventHandler_.get(), path, sessionId, engineFactory_);
    taken = mainWindow_.SetWorkspaceController(controller);
    // The last session stays the kept document's when the user refused the new one.
    if (taken) controller->RememberAsLastSession();
    openedAfresh = taken && !sessionId.empty() && !controller->IsSessionRestored();
  }
  // Now the replaced document's session, or the refused new one, is held no more. A refused
  // restore keeps its session.
  if (taken || sessionId.empty()) WorkspaceController::ClearEarlierSessions();
  if (openedAfresh) mainWindow_.ShowSessionNotRestored();
}

void Mediator::HandlePreferencesDialog() {
  PreferencesDialog dialog(mainWindow_.GetLocaleMenu(), &mainWindow_,
                           Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint |
                               Qt::WindowCloseButtonHint);
  connect(&dialog, &PreferencesDialog::sendStatisticsChanged, statisticsEventHandler_.get(),
          &StatisticsEventHandler::setEnabled);
  dialog.exec();
}

void Mediator::OpenLink(int linkId) {
  const std::string url = Links().GetUrl(linkId, App::ILinksManager::URL_SRC_MENU);
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void Mediator::HandleFAQ() { OpenLink(App::ILinksManager::URL_FAQ); }

void Mediator::HandleContactSupport() { OpenLink(App::ILinksManager::URL_CONTACT_SUPPORT); }

void Mediator::HandleMoreLanguages() { OpenLink(App::ILinksManager::URL_MORE_LANGUAGES); }

void Mediator::HandleHelp() { OpenLink(App::ILinksManager::URL_HELP); }

void Mediator::HandleCheckForUpdates() { CheckForUpdates(false); }

void Mediator::HandleCheckForAutoUpdates() {
  if (App::Application::CurrentSettings().GetBool(App::ISettingsManager::KEY_AUTOUPDATE,
                                                  App::ISettingsManager::DEFAULT_AUTOUPDATE))
    CheckForUpdates(true);
}

void Mediator::CheckForUpdates(bool automatic) { App::UpdateManager::CheckForUpdates(&mainWindow_, automatic, {}); }

}  // namespace Glimra
}  // namespace Zentor
