#include "UI/SaveOptions/Jpeg.h"

#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/Formats/IFormatCodec.h"
#include "UI/SaveOptions/SaveOptionsCommon.h"
#include "ui_Jpeg.h"

#include <QEvent>
#include <QLocale>

#include <algorithm>

namespace Zentor {
namespace Glimra {
namespace SaveOptions {

namespace {

const char* const TAG = Conf::IFormatCodec::TAG_QUALITY;

// A stored value outside the slider's range would show a percentage the slider cannot reach.
int ReadQuality(const Core::Property& options) {
  const Core::Property defaults =
      ExtensionFormatHelper::GetSaveOptionsDefault(ExtensionFormatHelper::FORMAT_JPEG, options);
  const long long quality = Core::GetValue<long long>(defaults[TAG]);
  return static_cast<int>(std::clamp<long long>(quality, 1, 32));
}

}  // namespace

void Jpeg::Open(Core::Property& options, QWidget* parent, Qt::WindowFlags flags) {
  Jpeg dialog(options, parent, flags);
  dialog.exec();
}

Jpeg::Jpeg(Core::Property& options, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(new ::Ui::Jpeg), options(options) {
  settings.initial = settings.current = ReadQuality(options);
  ui->setupUi(this);
  AddButtons(*ui->buttonBox);
  ui->sliderQuality->setValue(settings.current);
  UpdateValueLabel();
  connect(ui->sliderQuality, &QSlider::valueChanged, this, &Jpeg::OnQualityChanged);
  connect(this, &QDialog::accepted, this, &Jpeg::OnAccepted);
  FixSize(*this, *ui->buttonBox);
}

Jpeg::~Jpeg() { delete ui; }

void Jpeg::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    ui->retranslateUi(this);
    UpdateValueLabel();
  }
  QDialog::changeEvent(event);
}

void Jpeg::OnQualityChanged(int value) {
  settings.current = value;
  UpdateValueLabel();
}

void Jpeg::UpdateValueLabel() { ui->labelValue->setText(tr("%1%").arg(QLocale().toString(103 - 3 * settings.current))); }

void Jpeg::OnAccepted() {
  if (settings.current == settings.initial) return;
  App::AppSettings().SetInt64(Settings::Name(ExtensionFormatHelper::FORMAT_JPEG, TAG, Settings::FORMAT_SAVE_SETTINGS),
                              settings.current);
  StoreOption(options, TAG, static_cast<long long>(settings.current));
}

}  // namespace SaveOptions
}  // namespace Glimra
}  // namespace Zentor
