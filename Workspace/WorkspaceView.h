// The zoomable, scrollable view of the picture. Every key and mouse event goes first to the
// drawing tool of the current paint mode; only what the tool leaves reaches Qt and the scene.
// The space bar or the right mouse button pans the zoomed picture with the hand tool.
#pragma once

#include "DrawingTools/IDrawingTool.h"
#include "DrawingTools/IToolTipProvider.h"
#include "DrawingTools/ToolTipManager.h"
#include "Workspace/IScalableView.h"

#include <QGraphicsView>

#include <boost/shared_ptr.hpp>

#include <optional>

namespace Zentor {
namespace Glimra {

class IToolTip;

// GUI thread only. Failures of the tool or the scene inside an event handler go to the error path.
class WorkspaceView : public QGraphicsView, public IScalableView, public virtual IToolTipProvider {
  Q_OBJECT

 public:
  explicit WorkspaceView(QWidget* parent = nullptr);

  void SetUniversalDrawingTool(boost::shared_ptr<IDrawingTool> tool);
  // Leaving a drag mode gives the tool back its own cursor.
  void SetDragMode(QGraphicsView::DragMode mode);
  // Whether the view's pan hint shows when panning becomes possible.
  void EnableToolTip(bool enable);
  IToolTip& GetToolTipEngine();

  // The view keeps the picture fitted while its size changes, until another zoom.
  void ScaleToFit() override;
  // Fits the picture, but never above ceiling percent.
  void ScaleToFit(double ceiling);
  void ScaleToPercent(double percent) override;
  double GetCurrentScalePercent() const override;
  ScalePolicyFlags CanScale() const override;
  bool SetRestrictionForScale(ScalePolicy policy, double value) override;
  double GetRestrictionForScale(ScalePolicy policy) const override;
  void SetScaleStep(double step) override;
  double GetScaleStep() const override;

  QString GetDescription() const override;
  std::string GetSettingsName() const override;

 signals:
  void scaleChanged(double percent);
  void scaleEnabled(Zentor::Glimra::IScalableView::ScalePolicyFlags flags);
  // Panning became possible or impossible (a scroll bar appeared or went).
  void enableDragMode(bool enable);
  // The user asks for the hand tool (true) or lets it go (false).
  void activateDragMode(bool activate);

 public slots:
  void ResetCurrentSelection();
  void ShowDragToolTip(bool show);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Tells whether the scene is larger than the viewport, emitting enableDragMode on a change.
  void UpdateDragEnabled();
  double ClampToLimits(double percent) const;
  // Both return whether the view changed its zoom.
  bool ApplyScale(double percent, bool takeFocus);
  bool Fit(double ceiling, bool takeFocus);
  // The tool gets the event first unless a drag mode is on or there is no tool.
  bool ToolTakes(bool (IDrawingTool::*handler)(QMouseEvent*), QMouseEvent* event);

  bool dragEnabled = false;
  bool rightButtonDrag = false;
  double scaleStep = 0.0;
  double lowerLimit = 100.0;
  double upperLimit = 100.0;
  // The ceiling of the fit the view keeps; none once the user zoomed.
  std::optional<double> fitCeiling;
  bool fitting = false;
  boost::shared_ptr<IDrawingTool> drawingTool;
  ToolTipManager toolTipManager;
};

}  // namespace Glimra
}  // namespace Zentor
