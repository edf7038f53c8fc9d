#include "UI/ResizeDialog.h"

#include "GlimraCore/Helpers/ResizeHelper.h"
#include "GlimraCore/IGlimraCore.h"
#include "UI/FitIntoItemDelegate.h"
#include "ui_ResizeDialog.h"

#include <QEvent>
#include <QLayout>
#include <QLocale>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace Zentor {
namespace Glimra {

namespace SizeUOM = Settings::SizeUOM;
namespace ResolutionUOM = Settings::ResolutionUOM;

namespace {

// Not 2.54 and 25.4: the factors follow from the metre, as the print sizes always have.
constexpr double CM_PER_INCH = ResizeDialog::CM_PER_METER / ResizeDialog::INCHES_PER_METER;
constexpr double MM_PER_INCH = ResizeDialog::MM_PER_METER / ResizeDialog::INCHES_PER_METER;
constexpr double POINTS_PER_INCH = 72.0;

// Unit to pixels: (value, the side's full size in pixels, pixels per inch).
double FromPixels(double v, int, double) { return v; }
double FromPercents(double v, int full, double) { return full * v / ResizeDialog::PERCENTS_TOTAL; }
double FromInches(double v, int, double res) { return v * res; }
double FromCm(double v, int, double res) { return v * res / CM_PER_INCH; }
double FromMm(double v, int, double res) { return v * res / MM_PER_INCH; }
double FromPoints(double v, int, double res) { return v * res / POINTS_PER_INCH; }

// Pixels to unit.
double ToPixels(double v, int, double) { return v; }
double ToPercents(double v, int full, double) { return v * ResizeDialog::PERCENTS_TOTAL / full; }
double ToInches(double v, int, double res) { return v / res; }
double ToCm(double v, int, double res) { return v * CM_PER_INCH / res; }
double ToMm(double v, int, double res) { return v * MM_PER_INCH / res; }
double ToPoints(double v, int, double res) { return v * POINTS_PER_INCH / res; }

using SizeConverter = double (*)(double, int, double);
// Indexed by SizeUOM::Values.
const SizeConverter s_fromUOMFunctions[] = {FromPixels, FromPercents, FromInches, FromCm, FromMm, FromPoints};
const SizeConverter s_toUOMFunctions[] = {ToPixels, ToPercents, ToInches, ToCm, ToMm, ToPoints};
const int s_spinBoxDecimalsConstraints[] = {0, 2, 3, 3, 2, 1};

// Resolution unit to and from pixels per inch, indexed by ResolutionUOM::Values.
double FromPPI(double v) { return v; }
double ToPPI(double v) { return v; }
double FromPPC(double v) { return v * CM_PER_INCH; }
double ToPPC(double v) { return v / CM_PER_INCH; }

using ResolutionConverter = double (*)(double);
const ResolutionConverter s_fromUOMResolutionFunctions[] = {FromPPI, FromPPC};
const ResolutionConverter s_toUOMResolutionFunctions[] = {ToPPI, ToPPC};

// The print resolution the current step carries, whole pixels per inch; 72 when there is none
// or it is unusable (below 1 would divide the physical sizes by zero).
double StoredResolution(const Core::Property& settings) {
  const std::string& passKey = IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS;
  const std::string& resolutionKey = Helpers::ResizeHelper::RESOLUTION;
  try {
    if (settings.GetType() != PT_GROUP || !settings.ChildExists(passKey)) return ResizeDialog::RESOLUTION_72PPI;
    const Core::Property& pass = settings[passKey];
    if (pass.GetType() != PT_GROUP || !pass.ChildExists(resolutionKey)) return ResizeDialog::RESOLUTION_72PPI;
    const double stored = std::trunc(Core::GetValue<double>(pass[resolutionKey]));
    return std::isfinite(stored) && stored >= 1.0 ? stored : ResizeDialog::RESOLUTION_72PPI;
  } catch (const std::exception&) {
    return ResizeDialog::RESOLUTION_72PPI;
  }
}

}  // namespace

const char* const ResizeDialog::multiplicationSign = "\u00D7";

std::map<int, ResizeDialog::ComboValue<SizeUOM::Values>> ResizeDialog::s_uomValues;
std::map<int, ResizeDialog::ComboValue<ResolutionUOM::Values>> ResizeDialog::s_resolutionValues;
std::map<int, ResizeDialog::FitInto> ResizeDialog::s_fitIntoValues;

ResizeDialog::ResizeDialog(IGlimraDrawer& drawer, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(new ::Ui::ResizeDialog) {
  ui->setupUi(this);

  const Proc::DataVideoPtr frame = drawer.GetVideo();
  if (!frame || frame->GetWidth() == 0 || frame->GetHeight() == 0) return;
  sourceWidth = static_cast<int>(frame->GetWidth());
  sourceHeight = static_cast<int>(frame->GetHeight());
  width = sourceWidth;
  height = sourceHeight;
  sourceResolution = resolution = StoredResolution(drawer.GetSettings());

  ShowCurrentSize();

  FillResolutionValues();
  FillComboBoxValues(ui->comboBoxResolution, s_resolutionValues);
  FillUOMValues();
  FillComboBoxValues(ui->comboBoxUOM, s_uomValues);
  FillFitIntoValues(sourceWidth > sourceHeight);
  FillComboBoxValues(ui->comboBoxFitInto, s_fitIntoValues, new FitIntoItemDelegate(this));

  connect(ui->comboBoxFitInto, &QComboBox::currentIndexChanged, this, &ResizeDialog::OnFitIntoChanged);
  connect(ui->spinBoxWidth, &QDoubleSpinBox::valueChanged, this, &ResizeDialog::OnWidthChanged);
  connect(ui->spinBoxHeight, &QDoubleSpinBox::valueChanged, this, &ResizeDialog::OnHeightChanged);
  connect(ui->comboBoxUOM, &QComboBox::currentIndexChanged, this, &ResizeDialog::OnUOMChanged);
  connect(ui->spinBoxResolution, &QDoubleSpinBox::valueChanged, this, &ResizeDialog::OnResolutionChanged);
  connect(ui->comboBoxResolution, &QComboBox::currentIndexChanged, this, &ResizeDialog::OnResolutionUOMChanged);
  connect(ui->checkBoxScale, &QCheckBox::stateChanged, this, &ResizeDialog::OnScaleStateChanged);
  connect(ui->checkBoxResample, &QCheckBox::stateChanged, this, &ResizeDialog::OnResampleStateChanged);
  connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &ResizeDialog::OnAccepted);

  OnUOMChanged(0);
  OnResolutionUOMChanged(0);

  // The style sheet tells the buttons apart by their "type".
  ui->buttonBox->addButton(QDialogButtonBox::Ok)->setProperty("type", "OK");
  ui->buttonBox->addButton(QDialogButtonBox::Cancel)->setProperty("type", "Cancel");
  if (QLayout* layout = ui->buttonBox->layout()) layout->setSpacing(20);
  for (QAbstractButton* button : ui->buttonBox->buttons()) {
    style()->unpolish(button);
    style()->polish(button);
  }

  for (QWidget* spinBox : {ui->spinBoxWidth, ui->spinBoxHeight, ui->spinBoxResolution}) {
    spinBox->setAttribute(Qt::WA_MacShowFocusRect, false);
  }
  ensurePolished();
  adjustSize();
  setFixedSize(size());
}

ResizeDialog::~ResizeDialog() { delete ui; }

int ResizeDialog::exec() {
  if (sourceWidth <= 0 || sourceHeight <= 0) return 0;
  return QDialog::exec();
}

int ResizeDialog::GetWidth() const { return std::max(1, static_cast<int>(width + 0.5)); }

int ResizeDialog::GetHeight() const { return std::max(1, static_cast<int>(height + 0.5)); }

double ResizeDialog::GetResolution() const { return resolution; }

bool ResizeDialog::IsScaleProportionally() const { return ui->checkBoxScale->checkState() == Qt::Checked; }

bool ResizeDialog::IsResampleImage() const { return ui->checkBoxResample->checkState() == Qt::Checked; }

Settings::SizeUOM::Values ResizeDialog::GetSizeUOM() const { return sizeUnit; }

Settings::ResolutionUOM::Values ResizeDialog::GetResolutionUOM() const { return resolutionUnit; }

void ResizeDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() != QEvent::LanguageChange) return;
  ui->retranslateUi(this);
  if (sourceWidth > 0) ShowCurrentSize();
}

void ResizeDialog::ShowCurrentSize() {
  ui->labelCurrentSize->setText(tr("Current image size is %1 %3 %2")
                                    .arg(sourceWidth)
                                    .arg(sourceHeight)
                                    .arg(QString::fromUtf8(multiplicationSign)));
}

bool ResizeDialog::IsUOMHardware(SizeUOM::Values unit) {
  return unit == SizeUOM::INCHES || unit == SizeUOM::CM || unit == SizeUOM::MM;
}

void ResizeDialog::FillUOMValues() {
  s_uomValues = {
      {0, {SizeUOM::PIXELS, tr("pixels"), true}},  {1, {SizeUOM::PERCENTS, tr("percents"), true}},
      {2, {SizeUOM::INCHES, tr("inches"), true}},  {3, {SizeUOM::CM, tr("cm"), true}},
      {4, {SizeUOM::MM, tr("mm"), true}},          {5, {SizeUOM::POINTS, tr("points"), true}},
  };
}

void ResizeDialog::FillResolutionValues() {
  s_resolutionValues = {
      {0, {ResolutionUOM::PPI, tr("pixels/inch"), true}},
      {1, {ResolutionUOM::PPC, tr("pixels/cm"), true}},
  };
}

void ResizeDialog::FillFitIntoValues(bool landscape) {
  const QString px = tr(" px");
  const QString cm = tr(" cm");
  const QString inches = tr(" inches");
  const QString paper = cm + QStringLiteral(")");
  const QString sign = QString::fromUtf8(multiplicationSign);

  s_fitIntoValues.clear();
  int index = 0;
  auto entry = [&](SizeUOM::Values unit, const QString& text, bool enabled, double w, double h, int res) {
    FitInto fit;
    fit.value = unit;
    fit.text = text;
    fit.enabled = enabled;
    fit.width = w;
    fit.height = h;
    fit.resolution = res;
    s_fitIntoValues[index++] = fit;
  };
  // Sides in the language's own decimals ("29,7" in German), never grouped ("1024").
  QLocale numbers;
  numbers.setNumberOptions(QLocale::OmitGroupSeparator);
  // A landscape picture lists the longer side first, any other the shorter.
  auto add = [&](SizeUOM::Values unit, double a, double b, int res, const QString& prefix, const QString& suffix) {
    const double first = landscape ? std::max(a, b) : std::min(a, b);
    const double second = landscape ? std::min(a, b) : std::max(a, b);
    entry(unit, QStringLiteral("%1%2 %5 %3%4").arg(prefix, numbers.toString(first, 'g'), numbers.toString(second, 'g'),
                                                   suffix, sign),
          true, first, second, res);
  };
  auto separator = [&] { entry(SizeUOM::PIXELS, QStringLiteral("-"), false, 0.0, 0.0, 0); };

  entry(SizeUOM::PIXELS, tr("Custom"), true, 0.0, 0.0, 0);
  const double screens[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1280, 800}, {1280, 960},
                               {1680, 1050}, {1920, 1200}, {2048, 1536}, {3200, 2400}};
  for (const auto& s : screens) add(SizeUOM::PIXELS, s[0], s[1], 72, QString(), px);
  separator();
  const double photosCm[][2] = {{3, 4}, {9, 13}, {10, 15}, {13, 18}, {15, 20}, {20, 25}, {20, 30}, {30, 45}};
  for (const auto& s : photosCm) add(SizeUOM::CM, s[0], s[1], 300, QString(), cm);
  separator();
  const double photosInches[][2] = {{2, 3}, {4, 6}, {5, 7}, {6, 8}, {8, 10}, {8, 12}};
  for (const auto& s : photosInches) add(SizeUOM::INCHES, s[0], s[1], 300, QString(), inches);
  separator();
  add(SizeUOM::CM, 7.4, 10.5, 300, tr("A7 ("), paper);
  add(SizeUOM::CM, 10.5, 14.8, 300, tr("A6 ("), paper);
  add(SizeUOM::CM, 14.8, 21, 300, tr("A5 ("), paper);
  add(SizeUOM::CM, 21, 29.7, 300, tr("A4 ("), paper);
  separator();
  add(SizeUOM::PIXELS, 2048, 1536, 264, tr("iPad Air - "), px);
  add(SizeUOM::PIXELS, 1024, 768, 163, tr("iPad mini - "), px);
  add(SizeUOM::PIXELS, 1136, 640, 326, tr("iPhone 5 - "), px);
  add(SizeUOM::PIXELS, 960, 640, 326, tr("iPhone 4 - "), px);
}

template <class Map>
void ResizeDialog::FillComboBoxValues(QComboBox* combo, const Map& values, QAbstractItemDelegate* delegate) {
  auto* list = new QListWidget(combo);
  list->hide();
  for (const auto& value : values) {
    auto* item = new QListWidgetItem(value.second.text, list);
    if (!value.second.enabled) item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
  }
  combo->setModel(list->model());
  if (delegate) combo->setItemDelegate(delegate);
  combo->setCurrentIndex(0);
}

void ResizeDialog::SetSizeConstraints() {
  int widthLimit = MAX_PIXEL_SIZE;
  int heightLimit = MAX_PIXEL_SIZE;
  if (ui->checkBoxScale->isChecked()) {
    // 64 bits: a side times the limit overflows an int for sides past 214748 pixels.
    if (sourceWidth > sourceHeight) {
      heightLimit = static_cast<int>(static_cast<long long>(sourceHeight) * MAX_PIXEL_SIZE / sourceWidth);
    } else if (sourceHeight > sourceWidth) {
      widthLimit = static_cast<int>(static_cast<long long>(sourceWidth) * MAX_PIXEL_SIZE / sourceHeight);
    }
  }
  SetSpinBoxConstraint(ui->spinBoxWidth, std::max(1, widthLimit), sourceWidth);
  SetSpinBoxConstraint(ui->spinBoxHeight, std::max(1, heightLimit), sourceHeight);
}

void ResizeDialog::SetSpinBoxConstraint(QDoubleSpinBox* spinBox, int limit, int sourceSize) {
  const QSignalBlocker blocker(spinBox);
  spinBox->setDecimals(s_spinBoxDecimalsConstraints[sizeUnit]);
  spinBox->setMaximum(s_toUOMFunctions[sizeUnit](limit, sourceSize, resolution));
}

void ResizeDialog::SetResolutionConstraints(double value) {
  const QSignalBlocker blocker(ui->spinBoxResolution);
  double limit = MAX_PIXEL_SIZE;
  const double longer = std::max(width, height);
  // The resolution at which the longer side would reach the pixel limit at the same print size.
  if (IsUOMHardware(sizeUnit) && longer > 0.0) limit = value * MAX_PIXEL_SIZE / longer;
  ui->spinBoxResolution->setMaximum(limit);
}

double ResizeDialog::ResolutionShown(double ppi) const { return s_toUOMResolutionFunctions[resolutionUnit](ppi); }

void ResizeDialog::SetSize(double pixels, QDoubleSpinBox* spinBox, SizeUOM::Values unit, int fullSize,
                           double res) {
  const QSignalBlocker blocker(spinBox);
  spinBox->setValue(s_toUOMFunctions[unit](pixels, fullSize, res));
}

void ResizeDialog::ShowWidth() { SetSize(width, ui->spinBoxWidth, sizeUnit, sourceWidth, resolution); }

void ResizeDialog::ShowHeight() { SetSize(height, ui->spinBoxHeight, sizeUnit, sourceHeight, resolution); }

void ResizeDialog::SetWidth() {
  width = sourceWidth * height / sourceHeight;
  // Percents are the same on both sides; the mirror slot then finds nothing to change.
  if (sizeUnit == SizeUOM::PERCENTS) {
    ui->spinBoxWidth->setValue(ui->spinBoxHeight->value());
  } else {
    ShowWidth();
  }
}

void ResizeDialog::SetHeight() {
  height = sourceHeight * width / sourceWidth;
  if (sizeUnit == SizeUOM::PERCENTS) {
    ui->spinBoxHeight->setValue(ui->spinBoxWidth->value());
  } else {
    ShowHeight();
  }
}

void ResizeDialog::OnWidthChanged(double value) {
  if (value < 1.0) return;
  ui->comboBoxFitInto->setCurrentIndex(0);
  width = s_fromUOMFunctions[sizeUnit](value, sourceWidth, resolution);
  SetResolutionConstraints(ResolutionShown(resolution));
  if (ui->checkBoxScale->isChecked()) SetHeight();
}

void ResizeDialog::OnHeightChanged(double value) {
  if (value < 1.0) return;
  ui->comboBoxFitInto->setCurrentIndex(0);
  height = s_fromUOMFunctions[sizeUnit](value, sourceHeight, resolution);
  SetResolutionConstraints(ResolutionShown(resolution));
  if (ui->checkBoxScale->isChecked()) SetWidth();
}

void ResizeDialog::OnUOMChanged(int index) {
  auto found = s_uomValues.find(index);
  if (found == s_uomValues.end()) return;
  sizeUnit = found->second.value;
  SetSizeConstraints();
  ShowWidth();
  ShowHeight();
  // In a physical unit the resolution decides the pixel size, so its limit follows the unit.
  SetResolutionConstraints(ResolutionShown(resolution));
}

void ResizeDialog::OnResolutionUOMChanged(int index) {
  auto found = s_resolutionValues.find(index);
  if (found == s_resolutionValues.end()) return;
  resolutionUnit = found->second.value;
  // The limit is taken in the new unit, so that the converted value is not clamped by the old one.
  const double shown = ResolutionShown(resolution);
  SetResolutionConstraints(shown);
  const QSignalBlocker blocker(ui->spinBoxResolution);
  ui->spinBoxResolution->setValue(shown);
}

void ResizeDialog::OnResolutionChanged(double value) {
  if (value < 1.0) return;
  const double changed = s_fromUOMResolutionFunctions[resolutionUnit](value);
  // A physical size stays as shown, so its pixel size follows the resolution.
  if (IsUOMHardware(sizeUnit)) {
    width *= changed / resolution;
    height *= changed / resolution;
  }
  resolution = changed;
  ui->comboBoxFitInto->setCurrentIndex(0);
  SetSizeConstraints();
  // Points depend on the resolution too; the other units show what they showed.
  ShowWidth();
  ShowHeight();
}

void ResizeDialog::OnScaleStateChanged(int state) {
  SetSizeConstraints();
  if (state != Qt::Checked) return;
  // The smaller relative scale wins, so the result fits inside the chosen box.
  const double rw = width / sourceWidth;
  const double rh = height / sourceHeight;
  if (rh > rw) {
    height = sourceHeight * width / sourceWidth;
    if (sizeUnit == SizeUOM::PERCENTS) {
      const QSignalBlocker blocker(ui->spinBoxHeight);
      ui->spinBoxHeight->setValue(ui->spinBoxWidth->value());
    } else {
      ShowHeight();
    }
  } else {
    width = sourceWidth * height / sourceHeight;
    if (sizeUnit == SizeUOM::PERCENTS) {
      const QSignalBlocker blocker(ui->spinBoxWidth);
      ui->spinBoxWidth->setValue(ui->spinBoxHeight->value());
    } else {
      ShowWidth();
    }
  }
}

void ResizeDialog::OnResampleStateChanged(int state) {
  const bool resample = state == Qt::Checked;
  if (!resample) {
    ui->comboBoxFitInto->setCurrentIndex(0);
    ui->checkBoxScale->setChecked(true);
  }
  ui->comboBoxFitInto->setEnabled(resample);
  ui->checkBoxScale->setEnabled(resample);
}

void ResizeDialog::OnFitIntoChanged(int index) {
  auto found = s_fitIntoValues.find(index);
  if (index == 0 || found == s_fitIntoValues.end() || !found->second.enabled) return;
  const FitInto& preset = found->second;

  resolution = preset.resolution;
  sizeUnit = preset.value;
  width = s_fromUOMFunctions[sizeUnit](preset.width, sourceWidth, resolution);
  height = s_fromUOMFunctions[sizeUnit](preset.height, sourceHeight, resolution);
  for (const auto& unit : s_uomValues) {
    if (unit.second.value != preset.value) continue;
    {
      const QSignalBlocker blocker(ui->comboBoxUOM);
      ui->comboBoxUOM->setCurrentIndex(unit.first);
    }
    OnUOMChanged(unit.first);
    break;
  }
  // Shown after the unit's limits are in place, so that it is not clamped by the old ones.
  {
    const QSignalBlocker blocker(ui->spinBoxResolution);
    ui->spinBoxResolution->setValue(ResolutionShown(resolution));
  }
  OnScaleStateChanged(ui->checkBoxScale->checkState());
}

void ResizeDialog::OnAccepted() {
  int code = 0;
  if (sourceWidth != GetWidth() || sourceHeight != GetHeight()) code |= RESIZED;
  if (std::abs(resolution - sourceResolution) > 0.00001) code |= RESOLUTION_CHANGED;
  done(code);
}

}  // namespace Glimra
}  // namespace Zentor
