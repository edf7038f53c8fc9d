#include "UI/SimpleEffectsWidget.h"

#include "ui_SimpleEffectsWidget.h"

#include "Engine/BusyCursor.h"
#include "Engine/ErrorPath.h"
#include "GlimraCore/Helpers/ResizeHelper.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IDataVideo.h"
#include "Proc/Interfaces/IEffectMagicEnhance.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"
#include "UI/ResizeDialog.h"

#include <QEvent>

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace Glimra {

namespace {

constexpr int ROTATE_ANGLE = 90;
constexpr int WHITE_BALANCE_STRENGTH = 30;
// Each step keeps at least about 1/63.5 of a side: stronger single reductions alias visibly.
constexpr long long STEP_NUMERATOR = 4;
constexpr long long STEP_DENOMINATOR = 254;
constexpr int SMALLEST_SIDE = 2;

int RaiseToEven(long long value) { return int(value % 2 ? value + 1 : value); }

Core::Property Preset(const char* classId) {
  Core::Property preset(classId);
  preset.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(classId));
  return preset;
}

Core::Property FlipPreset(bool horizontal, bool vertical) {
  Core::Property preset = Preset(Proc::IFlip::CLASS_ID);
  preset.SetChildT(Proc::IFlip::MODE_HORIZ, horizontal);
  preset.SetChildT(Proc::IFlip::MODE_VERT, vertical);
  return preset;
}

}  // namespace

SimpleEffectsWidget::SimpleEffectsWidget(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), ui(new Ui_SimpleEffectsWidget) {
  ui->setupUi(this);
  connect(ui->rotateButton, &QToolButton::clicked, this, &SimpleEffectsWidget::OnRotateClicked);
  connect(ui->verticalFlipButton, &QToolButton::clicked, this, &SimpleEffectsWidget::OnVerticalFlipClicked);
  connect(ui->horizontalFlipButton, &QToolButton::clicked, this, &SimpleEffectsWidget::OnHorizontalFlipClicked);
  connect(ui->magicEnhanceButton, &QToolButton::clicked, this, &SimpleEffectsWidget::OnMagicEnhanceClicked);
  connect(ui->cropButton, &QToolButton::clicked, this, &SimpleEffectsWidget::OnCropImageClicked);
  connect(ui->resizeImageButton, &QToolButton::clicked, this, &SimpleEffectsWidget::OnResizeImageClicked);
}

SimpleEffectsWidget::~SimpleEffectsWidget() { delete ui; }

void SimpleEffectsWidget::SetPaintTools(const QPointer<PaintTools>& tools) {
  paintTools = tools;
  if (!paintTools) {
    LOG(WARNING) << "PaintTools is NULL.";
    return;
  }
  // Every cancellation a drawing tool reports leaves through this panel.
  connect(paintTools, &PaintTools::effectCanceled, this, &SimpleEffectsWidget::effectCanceled, Qt::UniqueConnection);
  ui->cropButton->setChecked(false);
  paintTools->AddControlToGroup(ui->cropButton, PaintTools::CROP);
}

QAbstractButton* SimpleEffectsWidget::GetCropImageControl() const { return ui->cropButton; }
QAbstractButton* SimpleEffectsWidget::GetResizeImageControl() const { return ui->resizeImageButton; }
QAbstractButton* SimpleEffectsWidget::GetVerticalFlipControl() const { return ui->verticalFlipButton; }
QAbstractButton* SimpleEffectsWidget::GetHorizontalFlipControl() const { return ui->horizontalFlipButton; }
QAbstractButton* SimpleEffectsWidget::GetRotateControl() const { return ui->rotateButton; }
QAbstractButton* SimpleEffectsWidget::GetMagicEnhanceControl() const { return ui->magicEnhanceButton; }

std::vector<QSize> SimpleEffectsWidget::ResizeSteps(QSize current, QSize target) {
  const int targetWidth = RaiseToEven(std::max(SMALLEST_SIDE, target.width()));
  const int targetHeight = RaiseToEven(std::max(SMALLEST_SIDE, target.height()));
  long long width = std::max(SMALLEST_SIDE, current.width());
  long long height = std::max(SMALLEST_SIDE, current.height());
  std::vector<QSize> steps;
  do {
    width = std::max<long long>(targetWidth, RaiseToEven((STEP_NUMERATOR * width - 1) / STEP_DENOMINATOR + 2));
    height = std::max<long long>(targetHeight, RaiseToEven((STEP_NUMERATOR * height - 1) / STEP_DENOMINATOR + 2));
    const QSize step{int(width), int(height)};
    // A step that changes nothing would repeat for ever.
    if (!steps.empty() && steps.back() == step) break;
    steps.push_back(step);
  } while (width > targetWidth || height > targetHeight);
  return steps;
}

void SimpleEffectsWidget::ApplyEffect(const Core::Property& preset) {
  if (!paintTools) return;
  try {
    BusyCursor busy;
    paintTools->ApplyEffect(preset);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void SimpleEffectsWidget::OnRotateClicked() {
  Core::Property preset = Preset(Proc::IRotate::CLASS_ID);
  preset.SetChildT(Proc::IRotate::ANGLE, static_cast<long long>(ROTATE_ANGLE));
  ApplyEffect(preset);
}

// The engine's horizontal mode reverses the columns' order, which the user calls a vertical flip
// (about the vertical axis); the horizontal flip is the reverse.
void SimpleEffectsWidget::OnVerticalFlipClicked() { ApplyEffect(FlipPreset(true, false)); }

void SimpleEffectsWidget::OnHorizontalFlipClicked() { ApplyEffect(FlipPreset(false, true)); }

void SimpleEffectsWidget::OnMagicEnhanceClicked() {
  using Proc::IEffectMagicEnhance;
  Core::Property preset = Preset(IEffectMagicEnhance::CLASS_ID);
  preset.SetChildT(IEffectMagicEnhance::AUTO_CONTRAST, true);
  preset.SetChildT(IEffectMagicEnhance::AUTO_SATURATION, true);
  preset.SetChildT(IEffectMagicEnhance::AUTO_WHITE_BALANCE, true);
  preset.SetChildT(IEffectMagicEnhance::AUTO_WHITE_STRENGTH, static_cast<long long>(WHITE_BALANCE_STRENGTH));
  ApplyEffect(preset);
}

void SimpleEffectsWidget::OnCropImageClicked() {
  if (!paintTools) return;
  try {
    if (paintTools->GetActiveMode() == PaintTools::CROP) {
      paintTools->ActivateLastPaintTool();
    } else {
      paintTools->CropModeOn();
    }
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void SimpleEffectsWidget::OnResizeImageClicked() {
  if (!paintTools) return;
  try {
    Proc::SettingsResizer resizer;
    IGlimraDrawer& drawer = paintTools->GetGlimraDrawer();
    ResizeDialog dialog(drawer, this,
                        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint |
                            Qt::WindowCloseButtonHint);
    // Cancel, Escape, the close button and an unchanged OK all end in rejected().
    connect(&dialog, &QDialog::rejected, this,
            [this] { emit effectCanceled(Proc::SettingsResizer::CLASS_ID); });
    const int result = dialog.exec();

    BusyCursor busy;
    if (result == 0) return;
    // The tools may have gone with their image while the dialog was open.
    if (!paintTools) return;
    const Proc::DataVideoPtr frame = drawer.GetVideo();
    if (!frame) return;
    const QSize current(int(frame->GetWidth()), int(frame->GetHeight()));
    // A new resolution alone keeps every pixel: the step to an even size is for resampling.
    const std::vector<QSize> steps = (result & ResizeDialog::RESIZED)
                                         ? ResizeSteps(current, QSize(dialog.GetWidth(), dialog.GetHeight()))
                                         : std::vector<QSize>{current};
    for (size_t i = 0; i < steps.size(); ++i) {
      resizer.width = uint32_t(steps[i].width());
      resizer.height = uint32_t(steps[i].height());
      Core::Property preset = Proc::IResize::Settings2Property(resizer);
      if (result & ResizeDialog::RESOLUTION_CHANGED) {
        preset.SetChildT(Helpers::ResizeHelper::RESOLUTION, dialog.GetResolution());
      }
      preset.SetChildT(IStatisticsEventHandler::KEY_RESIZE_SAVE_PROPORTION, dialog.IsScaleProportionally());
      preset.SetChildT(IStatisticsEventHandler::KEY_RESIZE_RESAMPLE, dialog.IsResampleImage());
      preset.SetChildT(IStatisticsEventHandler::KEY_RESIZE_SIZE_UOM, static_cast<long long>(dialog.GetSizeUOM()));
      preset.SetChildT(IStatisticsEventHandler::KEY_RESIZE_RESOLUTION_UOM,
                       static_cast<long long>(dialog.GetResolutionUOM()));
      // Later steps replace the earlier ones' undo step, and only the last one counts, so the
      // whole resize is one step for the user.
      if (i > 0) preset.SetChildT(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET, true);
      if (i + 1 < steps.size()) preset.SetChildT(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS, true);
      paintTools->ApplyEffect(preset);
    }
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void SimpleEffectsWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
}

}  // namespace Glimra
}  // namespace Zentor
