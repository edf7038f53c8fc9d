// The tools column of the workspace page: the selection tools and their sliders, Reset
// Selection, Start Erasing (inpainting of the selection) and Reset All Changes. It drives the
// paint tools of the current image and follows the engine's drawer events.
#pragma once

#include "Core/Interfaces/Property.h"
#include "Engine/DrawerEventHandlerUI.h"
#include "Engine/PaintTools.h"
#include "UI/IUIToolsControl.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>

class QLabel;
class QToolButton;
class Ui_ToolsWidget;

namespace Zentor {
namespace Glimra {

class LassoSelectionWidget;

// GUI thread only.
class ToolsWidget : public QWidget, public virtual IUIToolsControl, public virtual DrawerEventHandlerUI {
  Q_OBJECT

 public:
  // Which frames and size-label text show for the active tool.
  struct SetupWidgetSettings {
    enum ModeID { BRUSH_SIZE = 0, ERASER_SIZE = 1, STAMP_SIZE = 2 };

    // Bit 0 the diameter frame, bit 1 the wand frame, bit 2 the blur frame.
    unsigned int mask = 1;
    std::map<QLabel*, ModeID> labels;

    void Setup(unsigned int bit, QWidget* widget) const;
    // Labels whose id is not in `names` keep their text.
    void Setup(const std::map<ModeID, QString>& names) const;
  };

  explicit ToolsWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~ToolsWidget() override;

  // Each opened image brings its paint tools, before the panel is registered for its drawer
  // events. The pointer turns null by itself when the tools die.
  void SetPaintTools(const QPointer<PaintTools>& tools);

  QAbstractButton* GetBrushControl() const override;
  QAbstractButton* GetLassoControl() const override;
  QAbstractButton* GetWandControl() const override;
  QAbstractButton* GetEraseControl() const override;
  QAbstractButton* GetCloneControl() const override;

  void SetClearSelectionUIAction(const QAction* action) override;
  void SetStartEraseUIAction(const QAction* action) override;
  void SetSaveSelectionUIAction(const QAction* action) override;
  void SetResetAllChangesUIAction(const QAction* action) override;
  void SetResizeSelectionActions(const QAction* increase, const QAction* decrease) override;

  void HandleEventInternal() override;

  int GetBrushSize() const;
  int GetWandDifference() const;
  int GetBlurParam() const;

  void PlaceLassoSelector();
  void LoadSettings();
  void SaveSettings() const;

 Q_SIGNALS:
  void hasSelectedArea(bool selected);
  void hasChange(bool changed);

 public Q_SLOTS:
  void BrushModeActivated(bool on);
  void EraseModeActivated(bool on);
  void CloneModeActivated(bool on);
  void WandModeActivated(bool on);
  void LassoModeActivated(bool on);
  void PolygonModeActivated(bool on);
  void SelectLassoMode(bool on);

  void OnSizeValueChanged(int value);
  void OnDiameterSliderPressed();
  void OnDiameterSliderReleased();
  void OnDifferenceValueChanged(int value);
  void OnWandSliderPressed();
  void OnWandSliderReleased();
  void OnBlurValueChanged(int value);
  void OnBlurSliderPressed();
  void OnBlurSliderReleased();
  void OnSensitivityValueChanged(int value);

  void ClearSelectionButtonClicked();
  void StartButtonClicked();
  void ResetAllChangesButtonClicked();
  void OnIncreaseSelection();
  void OnDecreaseSelection();
  void ShowEraseHintToolTip();
  void OnLassoSelectorClicked();

 protected:
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SetupWidgets(const SetupWidgetSettings& settings);
  void ActivateLasso(bool polygon);
  void UpdateLassoToolTip();
  // Runs `call` on the paint tools when there are any; a failure goes to the error path.
  template <typename Call>
  void WithPaintTools(Call call);

  static void LabelNamesSetup();

  std::unique_ptr<Ui_ToolsWidget> ui;
  QPointer<PaintTools> paintTools;
  Core::Property effectSettings;
  bool diameterSliderPressed = false;
  bool wandSliderPressed = false;
  bool blurSliderPressed = false;
  int size = 0;
  int difference = 0;
  int blur = 0;
  QToolButton* lassoSelector = nullptr;
  LassoSelectionWidget* lassoSelectionWidget = nullptr;
  SetupWidgetSettings setupWidgetSettings;

  static std::map<SetupWidgetSettings::ModeID, QString> s_labelNames;
};

}  // namespace Glimra
}  // namespace Zentor
