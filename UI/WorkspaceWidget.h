// The main window's central page. Before an image is open it is a start page (drop area, Browse
// File, and the last session's thumbnail with a button to reopen it); with an image it shows the
// workspace view, the tools panel beside it and a bottom bar with the zoom controls and the
// file-information button. It owns the progress dialog that the engine drives during effects.
#pragma once

#include "Engine/IWorkspaceController.h"
#include "Workspace/IScalableView.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class QAction;
class Ui_WorkspaceWidget;

namespace Zentor {
namespace Glimra {

class IUIToolsControl;
class ProgressBar;

// GUI thread only.
class WorkspaceWidget : public QWidget {
  Q_OBJECT

 public:
  explicit WorkspaceWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~WorkspaceWidget() override;

  // Called for every opened image or session: shows the work page and binds the view, the tools
  // panel and the progress dialog to the new controller. A null controller changes nothing.
  void SetWorkspaceController(const WorkspaceControllerPtr& controller);
  // Unbinds the view from the controller and drops it (shut-down: the engine goes first).
  void ReleaseWorkspaceController();
  void SetPanelsVisible(bool visible);
  IUIToolsControl* GetUIToolsControl() const;
  void SetFileInfoUIAction(const QAction* action);

 Q_SIGNALS:
  void openFile(QString path);
  void browseFile();
  void restoreLastSession();
  void scaleEnabled(Zentor::Glimra::IScalableView::ScalePolicyFlags flags);
  // Emitted into the page by the main window: a control was used, so a drawing in progress ends.
  void uiControlUsed();

 public Q_SLOTS:
  void ZoomIn();
  void ZoomOut();
  void ScaleToPercent(int percent);
  // No 100 % cap here, unlike the fit of a newly opened image.
  void ScaleToFit();
  void ScaleToOrigin();
  void OnEnableDragMode(bool enable);
  void OnActivateDragMode(bool activate);
  void OnScaleChanged(double percent);
  void OnHideScaleInfo();
  void OnFileInfo();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void UpdateZoomInformation();
  void ShowLastSessionPreview();

  std::unique_ptr<Ui_WorkspaceWidget> ui;
  WorkspaceControllerPtr controller;
  QTimer scaleInfoTimer;
  ProgressBar* progressBar;
};

}  // namespace Glimra
}  // namespace Zentor
