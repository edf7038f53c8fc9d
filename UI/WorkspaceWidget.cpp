#include "UI/WorkspaceWidget.h"

#include "ui_WorkspaceWidget.h"

#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "DrawingTools/UniversalDrawingTool.h"
#include "Engine/ErrorPath.h"
#include "Engine/PaintTools.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/RegularFile.h"
#include "UI/FileInfo.h"
#include "UI/ProgressBar.h"

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QImageReader>
#include <QLayout>
#include <QLocale>
#include <QPixmap>
#include <QPointer>

#include <boost/exception/diagnostic_information.hpp>
#include <boost/shared_ptr.hpp>
#include <glog/logging.h>

#include <cmath>

namespace Zentor {
namespace Glimra {

namespace {

constexpr double SCALE_UPPER_LIMIT = 300.0;
constexpr double SCALE_LOWER_LIMIT = 5.0;
constexpr double SCALE_STEP = 10.0;
constexpr int SCALE_INFO_MS = 1000;

}  // namespace

WorkspaceWidget::WorkspaceWidget(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), ui(std::make_unique<Ui_WorkspaceWidget>()), progressBar(new ProgressBar(this)) {
  ui->setupUi(this);

  ui->viewDockWidget->setTitleBarWidget(new QWidget(ui->viewDockWidget));
  ui->instrumentsDockWidget->setTitleBarWidget(new QWidget(ui->instrumentsDockWidget));

  WorkspaceView* view = ui->graphicsView;
  view->SetRestrictionForScale(IScalableView::SCALE_UP, SCALE_UPPER_LIMIT);
  view->SetRestrictionForScale(IScalableView::SCALE_DOWN, SCALE_LOWER_LIMIT);
  view->SetScaleStep(SCALE_STEP);
  ui->scaleSlider->setRange(int(SCALE_LOWER_LIMIT), int(SCALE_UPPER_LIMIT));

  SetPanelsVisible(false);

  connect(view, &WorkspaceView::scaleChanged, this, &WorkspaceWidget::OnScaleChanged);
  connect(ui->scaleSlider, &QSlider::valueChanged, this, &WorkspaceWidget::ScaleToPercent);
  connect(ui->fitSizeButton, &QToolButton::clicked, this, &WorkspaceWidget::ScaleToFit);
  connect(ui->originalSizeButton, &QToolButton::clicked, this, &WorkspaceWidget::ScaleToOrigin);
  connect(view, &WorkspaceView::enableDragMode, this, &WorkspaceWidget::OnEnableDragMode);
  connect(view, &WorkspaceView::activateDragMode, ui->activateDragModeButton, &QToolButton::click);
  connect(ui->activateDragModeButton, &QToolButton::toggled, this, &WorkspaceWidget::OnActivateDragMode);
  connect(ui->zoomInButton, &QToolButton::clicked, this, &WorkspaceWidget::ZoomIn);
  connect(ui->zoomOutButton, &QToolButton::clicked, this, &WorkspaceWidget::ZoomOut);
  connect(view, &WorkspaceView::scaleEnabled, this, &WorkspaceWidget::scaleEnabled);
  connect(ui->stackedWidget, &DropStackedWidget::openFile, this, &WorkspaceWidget::openFile);
  connect(ui->chooseFileButton, &QToolButton::clicked, this, &WorkspaceWidget::browseFile);
  connect(ui->openRecentButton, &QToolButton::clicked, this, &WorkspaceWidget::restoreLastSession);
  connect(ui->infoButton, &QToolButton::clicked, this, &WorkspaceWidget::OnFileInfo);

  scaleInfoTimer.setSingleShot(true);
  scaleInfoTimer.setInterval(SCALE_INFO_MS);
  connect(&scaleInfoTimer, &QTimer::timeout, this, &WorkspaceWidget::OnHideScaleInfo);

  auto* shadow = new QGraphicsDropShadowEffect(ui->dropLabel);
  shadow->setBlurRadius(1.0);
  shadow->setColor(Qt::black);
  shadow->setOffset(0.0, 1.0);
  ui->dropLabel->setGraphicsEffect(shadow);

  ShowLastSessionPreview();
}

WorkspaceWidget::~WorkspaceWidget() = default;

void WorkspaceWidget::SetWorkspaceController(const WorkspaceControllerPtr& newController) {
  if (!newController) return;
  ui->stackedWidget->setCurrentWidget(ui->workPage);
  controller = newController;

  PaintTools* paintTools = controller->GetPaintTools();
  ui->toolsWidget->SetPaintTools(QPointer<PaintTools>(paintTools));
  controller->RegisterDrawerEventHandler(ui->toolsWidget);
  SetPanelsVisible(true);

  WorkspaceView* view = ui->graphicsView;
  if (paintTools) {
    boost::shared_ptr<UniversalDrawingTool> tool(
        new UniversalDrawingTool(*view, *paintTools, view->GetToolTipEngine()));
    connect(this, &WorkspaceWidget::uiControlUsed, tool.get(), &UniversalDrawingTool::cancelDrawing);
    view->SetUniversalDrawingTool(tool);
  }

  // The fit measures the viewport as it is laid out with the docks just shown.
  if (layout()) layout()->activate();
  view->EnableToolTip(false);
  view->setScene(controller->GetScene());
  // A picture smaller than the view is shown at its own size, not enlarged.
  view->ScaleToFit(100.0);
  view->EnableToolTip(true);

  controller->SetProgressController(progressBar->GetProgressController());
}

void WorkspaceWidget::ReleaseWorkspaceController() {
  if (!controller) return;
  // The drawing tool and the scene belong to the controller's paint tools and scene.
  ui->graphicsView->SetUniversalDrawingTool(nullptr);
  ui->graphicsView->setScene(nullptr);
  controller.reset();
}

void WorkspaceWidget::SetPanelsVisible(bool visible) {
  ui->viewDockWidget->setVisible(visible);
  ui->instrumentsDockWidget->setVisible(visible);
}

IUIToolsControl* WorkspaceWidget::GetUIToolsControl() const { return ui->toolsWidget; }

void WorkspaceWidget::SetFileInfoUIAction(const QAction* action) {
  if (!action) return;
  connect(action, &QAction::triggered, ui->infoButton, &QAbstractButton::animateClick);
}

void WorkspaceWidget::ZoomIn() {
  WorkspaceView* view = ui->graphicsView;
  view->ScaleToPercent(view->GetCurrentScalePercent() + view->GetScaleStep());
}

void WorkspaceWidget::ZoomOut() {
  WorkspaceView* view = ui->graphicsView;
  view->ScaleToPercent(view->GetCurrentScalePercent() - view->GetScaleStep());
}

void WorkspaceWidget::ScaleToPercent(int percent) { ui->graphicsView->ScaleToPercent(double(percent)); }

void WorkspaceWidget::ScaleToFit() { ui->graphicsView->ScaleToFit(); }

void WorkspaceWidget::ScaleToOrigin() { ui->graphicsView->ScaleToPercent(100.0); }

void WorkspaceWidget::OnEnableDragMode(bool enable) {
  if (!enable) ui->activateDragModeButton->setChecked(false);
  ui->activateDragModeButton->setEnabled(enable);
}

void WorkspaceWidget::OnActivateDragMode(bool activate) {
  ui->graphicsView->SetDragMode(activate ? QGraphicsView::ScrollHandDrag : QGraphicsView::NoDrag);
}

void WorkspaceWidget::OnScaleChanged(double percent) {
  {
    // The slider follows the zoom without zooming back.
    const QSignalBlocker blocker(ui->scaleSlider);
    ui->scaleSlider->setValue(int(percent));
  }
  UpdateZoomInformation();
  ui->scaleInfoLabel->show();
  scaleInfoTimer.start();

  if (controller && controller->GetPaintTools()) {
    try {
      controller->GetPaintTools()->OnScaleChanged(percent);
    } catch (...) {
      ErrorPath::ReportCurrent();
    }
  }

  const IScalableView::ScalePolicyFlags flags = ui->graphicsView->CanScale();
  ui->zoomInButton->setEnabled(flags.testFlag(IScalableView::SCALE_UP));
  ui->zoomOutButton->setEnabled(flags.testFlag(IScalableView::SCALE_DOWN));
}

void WorkspaceWidget::OnHideScaleInfo() { ui->scaleInfoLabel->hide(); }

void WorkspaceWidget::OnFileInfo() {
  if (!controller) return;
  // A picture whose metadata the dialog cannot read gets no dialog; nothing else is wrong.
  try {
    FileInfo dialog(controller->GetFileInfo(), &ExtensionFormatHelper::GetDecoderName, this,
                    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint |
                        Qt::WindowCloseButtonHint);
    dialog.exec();
  } catch (...) {
    LOG(ERROR) << "No file information: " << boost::current_exception_diagnostic_information();
  }
}

void WorkspaceWidget::UpdateZoomInformation() {
  const int percent = int(std::floor(ui->graphicsView->GetCurrentScalePercent() + 0.5));
  const QString text = QCoreApplication::translate("WorkspaceWidget", "Zoom: %1%").arg(QLocale().toString(percent));
  ui->scaleSlider->setToolTip(text);
  ui->scaleInfoLabel->setText(text);
}

namespace {

// The controller writes thumbnails of at most 60 x 60; anything larger or longer is not one.
constexpr int PREVIEW_SIDE = 60;
constexpr qint64 MAX_PREVIEW_BYTES = 1 << 20;

// The thumbnail at `path`, or a null pixmap (with a WARNING) when it cannot be read as one.
QPixmap ReadPreview(const QString& path) {
  QByteArray bytes;
  const App::FileReadResult result = App::ReadRegularFile(path, MAX_PREVIEW_BYTES, bytes);
  if (result != App::FileReadResult::Read) {
    LOG(WARNING) << "Preview \"" << path.toStdString() << "\" " << App::DescribeFileRead(result);
    return QPixmap();
  }
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "png");
  const QSize size = reader.size();
  QImage image;
  if (size.isValid() && size.width() <= PREVIEW_SIDE && size.height() <= PREVIEW_SIDE) image = reader.read();
  if (image.isNull()) {
    LOG(WARNING) << "Cannot read the preview: \"" << path.toStdString() << "\"";
    return QPixmap();
  }
  return QPixmap::fromImage(image);
}

QPixmap PreviewPlaceholder(const QPalette& palette) {
  QPixmap placeholder(PREVIEW_SIDE, PREVIEW_SIDE * 3 / 4);
  placeholder.fill(palette.color(QPalette::Mid));
  return placeholder;
}

}  // namespace

void WorkspaceWidget::ShowLastSessionPreview() {
  const std::string sessionId =
      App::Application::CurrentSettings().GetString(Settings::Name(Settings::SESSION, Settings::ID), "");
  if (sessionId.empty()) {
    ui->previewFrame->hide();
    LOG(WARNING) << "Cannot find preview: last session id is empty";
    return;
  }
  const QString folder = App::Application::GetApplicationTemporaryFilesDir() + QString::fromStdString(sessionId);
  if (!QFileInfo(folder).isDir()) {
    ui->previewFrame->hide();
    LOG(WARNING) << "The last session's folder is gone: \"" << folder.toStdString() << "\"";
    return;
  }
  // The session is offered as long as it is there; only its thumbnail may stand in.
  QPixmap preview = ReadPreview(folder + QDir::separator() + QLatin1String(IWorkspaceController::PREVIEW_NAME));
  if (preview.isNull()) preview = PreviewPlaceholder(palette());
  ui->previewLabel->setMinimumSize(preview.size());
  ui->previewLabel->setMaximumSize(preview.size());
  ui->previewLabel->setPixmap(preview);
}

void WorkspaceWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) {
    ui->retranslateUi(this);
    UpdateZoomInformation();
  }
}

}  // namespace Glimra
}  // namespace Zentor
