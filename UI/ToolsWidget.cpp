#include "UI/ToolsWidget.h"

#include "ui_ToolsWidget.h"

#include "Customization/SettingsName.h"
#include "Engine/BusyCursor.h"
#include "Engine/ErrorPath.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "UI/LassoSelectionWidget.h"

#include <QAction>
#include <QCursor>
#include <QEvent>
#include <QStyle>
#include <QToolTip>

#include <glog/logging.h>

#include <algorithm>
#include <cstdint>

namespace Zentor {
namespace Glimra {

std::map<ToolsWidget::SetupWidgetSettings::ModeID, QString> ToolsWidget::s_labelNames;

namespace {

constexpr int DIAMETER_DEFAULT = 25;
constexpr int WAND_DEFAULT = 35;
constexpr int BLUR_DEFAULT = 30;
constexpr int SENSITIVITY_DEFAULT = 15;

constexpr unsigned int DIAMETER_FRAME = 1;
constexpr unsigned int WAND_FRAME = 2;
constexpr unsigned int BLUR_FRAME = 4;

std::string SliderKey(const QSlider* slider) { return Settings::Name(slider->objectName().toStdString(), Settings::VALUE); }

}  // namespace

void ToolsWidget::SetupWidgetSettings::Setup(unsigned int bit, QWidget* widget) const {
  widget->setVisible((mask & bit) != 0);
}

void ToolsWidget::SetupWidgetSettings::Setup(const std::map<ModeID, QString>& names) const {
  for (const auto& [label, id] : labels) {
    const auto name = names.find(id);
    if (name != names.end()) label->setText(name->second);
  }
}

ToolsWidget::ToolsWidget(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), ui(std::make_unique<Ui_ToolsWidget>()), effectSettings(Proc::IEffectInpaint::CLASS_ID) {
  ui->setupUi(this);
  ui->eraseHintButton->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
  lassoSelector = new QToolButton(this);
  lassoSelector->setObjectName(QStringLiteral("lassoSelector"));
  lassoSelector->setArrowType(Qt::DownArrow);
  lassoSelector->setAutoRaise(true);
  lassoSelector->setFixedSize(14, 14);
  lassoSelector->setVisible(true);
  lassoSelectionWidget = new LassoSelectionWidget(this);
  connect(lassoSelector, &QToolButton::clicked, this, &ToolsWidget::OnLassoSelectorClicked);

  LoadSettings();

  connect(ui->brushButton, &QToolButton::toggled, this, &ToolsWidget::BrushModeActivated);
  connect(ui->eraseButton, &QToolButton::toggled, this, &ToolsWidget::EraseModeActivated);
  connect(ui->lassoButton, &QToolButton::toggled, this, &ToolsWidget::SelectLassoMode);
  connect(ui->wandButton, &QToolButton::toggled, this, &ToolsWidget::WandModeActivated);
  connect(ui->cloneButton, &QToolButton::toggled, this, &ToolsWidget::CloneModeActivated);

  connect(ui->diameterSlider, &QSlider::valueChanged, this, &ToolsWidget::OnSizeValueChanged);
  connect(ui->diameterSlider, &QSlider::sliderPressed, this, &ToolsWidget::OnDiameterSliderPressed);
  connect(ui->diameterSlider, &QSlider::sliderReleased, this, &ToolsWidget::OnDiameterSliderReleased);
  connect(ui->wandSlider, &QSlider::valueChanged, this, &ToolsWidget::OnDifferenceValueChanged);
  connect(ui->wandSlider, &QSlider::sliderPressed, this, &ToolsWidget::OnWandSliderPressed);
  connect(ui->wandSlider, &QSlider::sliderReleased, this, &ToolsWidget::OnWandSliderReleased);
  connect(ui->blurSlider, &QSlider::valueChanged, this, &ToolsWidget::OnBlurValueChanged);
  connect(ui->blurSlider, &QSlider::sliderPressed, this, &ToolsWidget::OnBlurSliderPressed);
  connect(ui->blurSlider, &QSlider::sliderReleased, this, &ToolsWidget::OnBlurSliderReleased);
  connect(ui->sensitivitySlider, &QSlider::valueChanged, this, &ToolsWidget::OnSensitivityValueChanged);

  connect(ui->clearSelectionButton, &QToolButton::clicked, this, &ToolsWidget::ClearSelectionButtonClicked);
  connect(ui->startButton, &QToolButton::clicked, this, &ToolsWidget::StartButtonClicked);
  connect(ui->resetAllChangesButton, &QToolButton::clicked, this, &ToolsWidget::ResetAllChangesButtonClicked);
  connect(lassoSelectionWidget->GetLassoControl(), &QAbstractButton::toggled, this, &ToolsWidget::LassoModeActivated);
  connect(lassoSelectionWidget->GetPolygonControl(), &QAbstractButton::toggled, this,
          &ToolsWidget::PolygonModeActivated);
  // Choosing the pop-up's checked entry again toggles nothing, yet the user asked for that tool.
  for (QAbstractButton* choice : {lassoSelectionWidget->GetLassoControl(), lassoSelectionWidget->GetPolygonControl()}) {
    connect(choice, &QAbstractButton::clicked, this, [this] {
      if (!ui->lassoButton->isChecked()) SelectLassoMode(true);
    });
  }
  connect(this, &ToolsWidget::hasSelectedArea, ui->startButton, &QWidget::setEnabled);
  connect(this, &ToolsWidget::hasSelectedArea, ui->clearSelectionButton, &QWidget::setEnabled);
  connect(this, &ToolsWidget::hasChange, ui->resetAllChangesButton, &QWidget::setEnabled);
  connect(ui->eraseHintButton, &QToolButton::clicked, this, &ToolsWidget::ShowEraseHintToolTip);

  effectSettings.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IEffectInpaint::CLASS_ID));
  LabelNamesSetup();
  // The brush is checked in the form: show its frame only, as its activation would.
  SetupWidgets(setupWidgetSettings);
}

ToolsWidget::~ToolsWidget() { SaveSettings(); }

template <typename Call>
void ToolsWidget::WithPaintTools(Call call) {
  if (!paintTools) return;
  try {
    call(*paintTools);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void ToolsWidget::SetPaintTools(const QPointer<PaintTools>& tools) {
  paintTools = tools;
  if (!paintTools) {
    LOG(WARNING) << "PaintTools is NULL.";
    return;
  }
  QAbstractButton* active = nullptr;
  WithPaintTools([this, &active](PaintTools& paint) {
    paint.AddControlToGroup(ui->brushButton, PaintTools::BRUSH);
    paint.AddControlToGroup(ui->lassoButton, PaintTools::LASSO);
    paint.AddControlToGroup(ui->wandButton, PaintTools::MAGIC_WAND);
    paint.AddControlToGroup(ui->eraseButton, PaintTools::ERASER);
    paint.AddControlToGroup(ui->cloneButton, PaintTools::CLONE);
    active = paint.GetActiveControl();
  });
  if (active == ui->brushButton) {
    BrushModeActivated(true);
  } else if (active == ui->eraseButton) {
    EraseModeActivated(true);
  } else if (active == ui->lassoButton) {
    SelectLassoMode(true);
  } else if (active == ui->wandButton) {
    WandModeActivated(true);
  } else if (active == ui->cloneButton) {
    CloneModeActivated(true);
  } else {
    ui->brushButton->setChecked(true);
  }
  HandleEvent();
}

QAbstractButton* ToolsWidget::GetBrushControl() const { return ui->brushButton; }
QAbstractButton* ToolsWidget::GetLassoControl() const { return ui->lassoButton; }
QAbstractButton* ToolsWidget::GetWandControl() const { return ui->wandButton; }
QAbstractButton* ToolsWidget::GetEraseControl() const { return ui->eraseButton; }
QAbstractButton* ToolsWidget::GetCloneControl() const { return ui->cloneButton; }

// The actions are the main window's; only their enabled state and trigger are bound here.
void ToolsWidget::SetClearSelectionUIAction(const QAction* action) {
  if (!action) return;
  connect(this, &ToolsWidget::hasSelectedArea, const_cast<QAction*>(action), &QAction::setEnabled);
  connect(action, &QAction::triggered, ui->clearSelectionButton, &QAbstractButton::animateClick);
}

void ToolsWidget::SetStartEraseUIAction(const QAction* action) {
  if (!action) return;
  connect(this, &ToolsWidget::hasSelectedArea, const_cast<QAction*>(action), &QAction::setEnabled);
  connect(action, &QAction::triggered, ui->startButton, &QAbstractButton::animateClick);
}

void ToolsWidget::SetSaveSelectionUIAction(const QAction* action) {
  if (!action) return;
  connect(this, &ToolsWidget::hasSelectedArea, const_cast<QAction*>(action), &QAction::setEnabled);
}

void ToolsWidget::SetResetAllChangesUIAction(const QAction* action) {
  if (!action) return;
  connect(this, &ToolsWidget::hasChange, const_cast<QAction*>(action), &QAction::setEnabled);
  connect(action, &QAction::triggered, ui->resetAllChangesButton, &QAbstractButton::animateClick);
}

void ToolsWidget::SetResizeSelectionActions(const QAction* increase, const QAction* decrease) {
  if (increase) {
    connect(this, &ToolsWidget::hasSelectedArea, const_cast<QAction*>(increase), &QAction::setEnabled);
    connect(increase, &QAction::triggered, this, &ToolsWidget::OnIncreaseSelection);
  }
  if (decrease) {
    connect(this, &ToolsWidget::hasSelectedArea, const_cast<QAction*>(decrease), &QAction::setEnabled);
    connect(decrease, &QAction::triggered, this, &ToolsWidget::OnDecreaseSelection);
  }
}

// The paint tools of a replaced image can be gone while its drawer events are still queued.
void ToolsWidget::HandleEventInternal() {
  WithPaintTools([this](PaintTools& paint) {
    const bool selected = paint.HasSelectedArea();
    const bool changed = paint.HasChange();
    emit hasSelectedArea(selected);
    emit hasChange(changed);
  });
}

int ToolsWidget::GetBrushSize() const { return ui->diameterSlider->value(); }
int ToolsWidget::GetWandDifference() const { return ui->wandSlider->value(); }
int ToolsWidget::GetBlurParam() const { return ui->blurSlider->value(); }

void ToolsWidget::BrushModeActivated(bool on) {
  if (!on || !paintTools) return;
  SetupWidgetSettings settings;
  settings.mask = DIAMETER_FRAME;
  settings.labels[ui->diameterLabel] = SetupWidgetSettings::BRUSH_SIZE;
  SetupWidgets(settings);
  WithPaintTools([this](PaintTools& paint) { paint.BrushModeOn(ui->diameterSlider->value()); });
}

void ToolsWidget::EraseModeActivated(bool on) {
  if (!on || !paintTools) return;
  SetupWidgetSettings settings;
  settings.mask = DIAMETER_FRAME;
  settings.labels[ui->diameterLabel] = SetupWidgetSettings::ERASER_SIZE;
  SetupWidgets(settings);
  WithPaintTools([this](PaintTools& paint) { paint.EraseModeOn(ui->diameterSlider->value()); });
}

void ToolsWidget::CloneModeActivated(bool on) {
  if (!on || !paintTools) return;
  SetupWidgetSettings settings;
  settings.mask = DIAMETER_FRAME | BLUR_FRAME;
  settings.labels[ui->diameterLabel] = SetupWidgetSettings::STAMP_SIZE;
  SetupWidgets(settings);
  WithPaintTools([this](PaintTools& paint) { paint.CloneModeOn(ui->diameterSlider->value(), ui->blurSlider->value()); });
}

void ToolsWidget::WandModeActivated(bool on) {
  if (!on || !paintTools) return;
  SetupWidgetSettings settings;
  settings.mask = WAND_FRAME;
  SetupWidgets(settings);
  WithPaintTools([this](PaintTools& paint) { paint.WandModeOn(ui->wandSlider->value()); });
}

void ToolsWidget::LassoModeActivated(bool on) {
  if (on && paintTools) ActivateLasso(false);
}

void ToolsWidget::PolygonModeActivated(bool on) {
  if (on && paintTools) ActivateLasso(true);
}

void ToolsWidget::ActivateLasso(bool polygon) {
  if (!ui->lassoButton->isChecked()) {
    // Checking the tool button comes back through SelectLassoMode, which reads the pop-up's
    // choice; finishing here too would configure the painter twice.
    ui->lassoButton->setChecked(true);
    if (ui->lassoButton->isChecked()) return;
  }
  ui->lassoButton->setProperty("lassoType", polygon ? QStringLiteral("polygon") : QString());
  UpdateLassoToolTip();
  // A style sheet keyed on the property only notices the change on a new polish.
  ui->lassoButton->style()->unpolish(ui->lassoButton);
  ui->lassoButton->style()->polish(ui->lassoButton);

  SetupWidgetSettings settings;
  settings.mask = 0;
  SetupWidgets(settings);
  WithPaintTools([polygon](PaintTools& paint) { polygon ? paint.PolygonModeOn() : paint.LassoModeOn(); });
}

void ToolsWidget::SelectLassoMode(bool on) {
  if (!on) return;
  if (lassoSelectionWidget->GetLassoControl()->isChecked()) {
    LassoModeActivated(true);
  } else {
    PolygonModeActivated(true);
  }
}

void ToolsWidget::SetupWidgets(const SetupWidgetSettings& settings) {
  setupWidgetSettings = settings;
  settings.Setup(DIAMETER_FRAME, ui->diameterFrame);
  settings.Setup(WAND_FRAME, ui->wandFrame);
  settings.Setup(BLUR_FRAME, ui->blurFrame);
  settings.Setup(s_labelNames);
}

void ToolsWidget::UpdateLassoToolTip() {
  const bool polygon = !ui->lassoButton->property("lassoType").toString().isEmpty();
  ui->lassoButton->setToolTip(polygon ? tr("Polygonal Lasso") : tr("Lasso"));
}

void ToolsWidget::LabelNamesSetup() {
  s_labelNames.clear();
  s_labelNames[SetupWidgetSettings::BRUSH_SIZE] = tr("Brush size:");
  s_labelNames[SetupWidgetSettings::ERASER_SIZE] = tr("Eraser size:");
  s_labelNames[SetupWidgetSettings::STAMP_SIZE] = tr("Stamp size:");
}

// While a handle is held the number follows the slider, and the paint tools get the value once,
// on release: every brush change rebuilds the engine's brush.
void ToolsWidget::OnSizeValueChanged(int value) {
  size = value;
  ui->sizeLabel->setNum(value);
  if (!diameterSliderPressed) WithPaintTools([value](PaintTools& paint) { paint.UpdateBrushSize(value, -1); });
}

void ToolsWidget::OnDiameterSliderPressed() { diameterSliderPressed = true; }

void ToolsWidget::OnDiameterSliderReleased() {
  diameterSliderPressed = false;
  WithPaintTools([this](PaintTools& paint) { paint.UpdateBrushSize(size, -1); });
}

void ToolsWidget::OnDifferenceValueChanged(int value) {
  difference = value;
  ui->differenceLabel->setNum(value);
  if (!wandSliderPressed) WithPaintTools([value](PaintTools& paint) { paint.UpdateBrushSize(value, -1); });
}

void ToolsWidget::OnWandSliderPressed() { wandSliderPressed = true; }

void ToolsWidget::OnWandSliderReleased() {
  wandSliderPressed = false;
  WithPaintTools([this](PaintTools& paint) { paint.UpdateBrushSize(difference, -1); });
}

void ToolsWidget::OnBlurValueChanged(int value) {
  blur = value;
  ui->smoothLabel->setNum(value);
  if (!blurSliderPressed) {
    WithPaintTools([this, value](PaintTools& paint) { paint.UpdateBrushSize(ui->diameterSlider->value(), value); });
  }
}

void ToolsWidget::OnBlurSliderPressed() { blurSliderPressed = true; }

void ToolsWidget::OnBlurSliderReleased() {
  blurSliderPressed = false;
  WithPaintTools([this](PaintTools& paint) { paint.UpdateBrushSize(ui->diameterSlider->value(), blur); });
}

void ToolsWidget::OnSensitivityValueChanged(int value) {
  ui->sensitivityLabel->setNum(value);
  effectSettings.SetChildT(Proc::IEffectInpaint::LOOKUP_SIZE, double(value));
}

void ToolsWidget::ClearSelectionButtonClicked() {
  WithPaintTools([](PaintTools& paint) { paint.ClearSelection(); });
}

void ToolsWidget::StartButtonClicked() {
  WithPaintTools([this](PaintTools& paint) { paint.ApplyEffect(effectSettings); });
}

void ToolsWidget::ResetAllChangesButtonClicked() {
  if (!paintTools) return;
  BusyCursor busy;
  // The busy cursor ran pending events, which may have replaced the image; this checks again.
  WithPaintTools([](PaintTools& paint) { paint.ApplyEffect(Core::Property()); });
}

void ToolsWidget::OnIncreaseSelection() {
  WithPaintTools([](PaintTools& paint) { paint.OnResizeSelectedArea(1); });
}

void ToolsWidget::OnDecreaseSelection() {
  WithPaintTools([](PaintTools& paint) { paint.OnResizeSelectedArea(-1); });
}

void ToolsWidget::ShowEraseHintToolTip() { QToolTip::showText(QCursor::pos(), ui->eraseHintButton->toolTip()); }

void ToolsWidget::PlaceLassoSelector() {
  ensurePolished();
  // The lasso button sits in the content frame; the selector is the panel's own child.
  const QRect button(ui->lassoButton->mapTo(this, QPoint(0, 0)), ui->lassoButton->size());
  lassoSelector->move(button.x() + button.width() - lassoSelector->width(),
                      button.y() + button.height() - lassoSelector->height());
  lassoSelector->raise();
}

void ToolsWidget::OnLassoSelectorClicked() {
  const QPoint corner(lassoSelector->x(),
                      lassoSelector->y() + lassoSelector->height() - lassoSelectionWidget->height());
  lassoSelectionWidget->move(mapToGlobal(corner));
  lassoSelectionWidget->show();
}

void ToolsWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::LanguageChange) return;
  ui->retranslateUi(this);
  UpdateLassoToolTip();
  LabelNamesSetup();
  // The retranslation put "Diameter" back; the active tool's name replaces it again.
  setupWidgetSettings.Setup(s_labelNames);
}

void ToolsWidget::showEvent(QShowEvent* event) {
  if (lassoSelector->isVisibleTo(this)) PlaceLassoSelector();
  QWidget::showEvent(event);
}

void ToolsWidget::resizeEvent(QResizeEvent* event) {
  if (lassoSelector->isVisibleTo(this)) PlaceLassoSelector();
  if (lassoSelectionWidget->isVisible()) lassoSelectionWidget->hide();
  QWidget::resizeEvent(event);
}

void ToolsWidget::LoadSettings() {
  const App::ISettingsManager& settings = App::AppSettings();
  const std::pair<QSlider*, int> sliders[] = {{ui->diameterSlider, DIAMETER_DEFAULT},
                                              {ui->sensitivitySlider, SENSITIVITY_DEFAULT},
                                              {ui->wandSlider, WAND_DEFAULT},
                                              {ui->blurSlider, BLUR_DEFAULT}};
  for (const auto& [slider, fallback] : sliders) {
    // Clamped before the narrowing to int, so a huge stored number cannot wrap into the range.
    const int64_t stored = settings.GetInt64(SliderKey(slider), fallback);
    if (stored < slider->minimum() || stored > slider->maximum()) {
      LOG(WARNING) << "The stored value " << stored << " of " << SliderKey(slider) << " is outside "
                   << slider->minimum() << ".." << slider->maximum();
    }
    slider->setValue(int(std::clamp<int64_t>(stored, slider->minimum(), slider->maximum())));
  }
  OnSizeValueChanged(ui->diameterSlider->value());
  OnSensitivityValueChanged(ui->sensitivitySlider->value());
  OnDifferenceValueChanged(ui->wandSlider->value());
  OnBlurValueChanged(ui->blurSlider->value());
}

void ToolsWidget::SaveSettings() const {
  App::ISettingsManager& settings = App::AppSettings();
  for (const QSlider* slider : {ui->diameterSlider, ui->sensitivitySlider, ui->wandSlider, ui->blurSlider})
    settings.SetInt64(SliderKey(slider), slider->value());
}

}  // namespace Glimra
}  // namespace Zentor
