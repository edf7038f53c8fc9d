// Joins the main window's and the application's requests to what they ask for: opening a file or
// the last session into a new workspace controller, the preferences, the help links and the
// update checks. It owns the program's one usage-statistics handler and reads the command line.
#pragma once

#include "Engine/WorkspaceController.h"
#include "Platform/AppShell/CustomizationManager.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace Zentor {
namespace Core {
class HookerPrintScreen;
}

namespace Glimra {

class MainWindow;
class StatisticsEventHandler;

// GUI thread only. Built after the main window and destroyed before it.
class Mediator : public QObject {
  Q_OBJECT

 public:
  // What a start makes before its window: the usage handler, and the open of the command line's
  // image under way, so that its load goes on while the window is built.
  struct Start {
    Start();
    Start(Start&&) noexcept;
    Start& operator=(Start&&) noexcept;
    ~Start();
    std::unique_ptr<StatisticsEventHandler> statistics;
    // Goes before the handler it reports to.
    std::unique_ptr<WorkspaceController::PendingOpen> open;
  };
  // An empty factory means the real engine.
  static Start BeginStart(int argc, char** argv,
                          const WorkspaceController::EngineFactory& factory = WorkspaceController::EngineFactory());

  Mediator(int argc, char** argv, MainWindow& mainWindow);
  // With the start's handler; its open finishes when the window shows.
  Mediator(int argc, char** argv, MainWindow& mainWindow, Start start);
  ~Mediator() override;

  void ProcessCommandLine(int argc, char** argv);
  void ShowCommandLineHelp(const QString& help);
  void CheckForUpdates(bool automatic);
  static void HookPrintScreenStatistics();

  // Opens a file named in the file system's own bytes, which need not be valid UTF-8.
  void AddNativeFileToOpen(const QByteArray& path);

  // The engine maker of every open; empty, the default, means the real engine.
  void SetEngineFactory(WorkspaceController::EngineFactory factory) { engineFactory_ = std::move(factory); }

 public slots:
  void AddFileToOpen(const QString& path);
  void RestoreLastSession();
  void HandleApplicationStarted();
  void HandleMainWindowShow();
  void HandlePreferencesDialog();
  void HandleFAQ();
  void HandleContactSupport();
  void HandleCheckForUpdates();
  void HandleCheckForAutoUpdates();
  void HandleMoreLanguages();
  void HandleHelp();

 private:
  // Hands a new controller to the window, which may keep its document instead; the earlier
  // sessions go once the window dropped the controller it does not show, so a live session is
  // never cleared.
  void Open(const std::string& path, const std::string& sessionId);
  void OpenLink(int linkId);
  // The command line's file opens once the window is shown and the help asked for was read.
  void OpenCommandLineFileWhenDue();
  // The command line's image and help text, in the file system's encoding; help is empty unless
  // asked for or an option is unknown.
  static bool ParseCommandLine(int argc, char** argv, std::string& file, std::string& help);

  MainWindow& mainWindow_;
  App::CustomizationManagerPtr customization_;
  // The hook comes after the handler and goes before it: a key press never finds it gone.
  std::unique_ptr<StatisticsEventHandler> statisticsEventHandler_;
  std::unique_ptr<Core::HookerPrintScreen> printScreenHook_;
  // The start's open of the command line's image; the first open takes or drops it.
  std::unique_ptr<WorkspaceController::PendingOpen> pendingOpen_;
  // As the command line gave it: in the file system's encoding.
  std::string fileToOpen_;
  std::string helpText_;
  bool commandLineFileOpened_ = false;
  bool windowShown_ = false;
  bool helpShown_ = false;
  WorkspaceController::EngineFactory engineFactory_;

  static StatisticsEventHandler* s_statisticsEventHandler;
};

}  // namespace Glimra
}  // namespace Zentor
