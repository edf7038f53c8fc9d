// The one application window: the menus, the top panel (Open and Save, the undo and one-click
// effects panels) and the workspace page; the document commands (open, save, save as, selection
// files, print, quit) and the alerts for engine failures.
#pragma once

#include "Core/Interfaces/EventHandlerList.h"
#include "Engine/CoreEventHandlerUI.h"
#include "Engine/DrawerEventHandlerUI.h"
#include "Engine/IWorkspaceController.h"
#include "Workspace/IScalableView.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <string>

class QActionGroup;
class QMenu;
class Ui_MainWindow;

namespace Zentor {
namespace Glimra {

class IDocumentDialogs;
class ISaveFilePanel;

// GUI thread only.
class MainWindow : public QMainWindow,
                   public virtual CoreEventHandlerUI,
                   public virtual DrawerEventHandlerUI,
                   public Core::EventHandlerList<IStatisticsEventHandler> {
  Q_OBJECT
  Q_PROPERTY(QString linkStyle READ LinkStyle WRITE SetLinkStyle)

 public:
  explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~MainWindow() override;

  // Takes the new image's controller unless the user keeps the unsaved document; true when taken.
  bool SetWorkspaceController(const WorkspaceControllerPtr& controller);
  // Drops the document without a question, from every panel that holds it, so that its engine
  // and the engine's threads end while the handlers they report to still exist.
  void ReleaseWorkspaceController();
  // True when the document may go: nothing unsaved, "Don't Save", or a save that succeeded.
  bool DiscardUnsavedChanges();
  // The open-error alert; a cause the engine gave for not reaching the file replaces the text about
  // damaged or unknown pictures.
  void ShowOpenError(const QString& path, const boost::exception_ptr& cause = boost::exception_ptr());
  // The last session was asked for, and the picture was opened afresh instead.
  void ShowSessionNotRestored();
  // The Settings > Language menu.
  QMenu* GetLocaleMenu() const;

  // Replace Qt's dialogs (tests answer through their own).
  void SetDocumentDialogs(std::unique_ptr<IDocumentDialogs> dialogs);
  void SetSaveFilePanel(std::unique_ptr<ISaveFilePanel> panel);

  void ThrowInternal(boost::exception_ptr error) override;
  void HandleEventChangeToSaveInternal(bool changed) override;

  QString LinkStyle() const { return linkStyle_; }
  void SetLinkStyle(const QString& style) { linkStyle_ = style; }

  static const QString QUESTION_IMAGE;
  static const char* const NOT_ENOUGH_MEMORY;
  static const char* const UNKNOWN_ERROR;

 Q_SIGNALS:
  void openFile(const QString& path);
  void restoreLastSession();
  void saveEnabled(bool enabled);
  void showPreferencesDialog();
  void faqRequested();
  void checkForUpdateRequested();
  void contactSupport();
  void needHelp();
  void uiControlUsed();
  void showToParent();

 public Q_SLOTS:
  void OnAbout();
  bool OnQuit();
  void OnSaveClicked();
  void OnEffectCanceled(const std::string& name);
  void OnScaleEnabled(Zentor::Glimra::IScalableView::ScalePolicyFlags flags);
  void BrowseToOpenFile();
  void BrowseToSaveFile();
  void BrowseToOpenSelection();
  void BrowseToSaveSelection();
  void SaveOverwrite();
  void OnPrintClicked();
  void Debug();

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Connect();
  void ConnectControlUse();
  void UpdateWindowTitle();
  void LoadSettings();
  void SaveSettings() const;
  // The save panel with the current image's name, type and save options; empty when cancelled.
  QString BrowseToSaveFilePlatformImpl(const QString& caption, const QString& label, const QString& button);
  void TrackEvent(const std::string& name);

  Ui_MainWindow* ui;
  WorkspaceControllerPtr controller;
  bool modified = false;
  bool startMaximized = false;

  QActionGroup* toolGroup_ = nullptr;
  std::unique_ptr<IDocumentDialogs> dialogs_;
  std::unique_ptr<ISaveFilePanel> savePanel_;
  // Once the user agreed to quit, later requests pass without a question.
  bool quitApproved_ = false;
  // The engine was asked to save during the current save flow.
  bool saveRequested_ = false;
  QString linkStyle_;
};

}  // namespace Glimra
}  // namespace Zentor
