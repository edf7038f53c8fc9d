#include "UI/SaveOptions/Tiff.h"

#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "GlimraCore/Settings.h"
#include "Platform/AppShell/SettingsManager.h"
#include "UI/SaveOptions/SaveOptionsCommon.h"
#include "ui_Tiff.h"

#include <QEvent>

#include <iterator>

namespace Zentor {
namespace Glimra {
namespace SaveOptions {

namespace Compression = Settings::SaveOptions::Tiff;

void Tiff::Open(Core::Property& options, QWidget* parent, Qt::WindowFlags flags) {
  Tiff dialog(options, parent, flags);
  dialog.exec();
}

Tiff::Tiff(Core::Property& options, QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(new ::Ui::Tiff), options(options) {
  const Core::Property defaults =
      ExtensionFormatHelper::GetSaveOptionsDefault(ExtensionFormatHelper::FORMAT_TIFF, options);
  settings.initial = settings.current = Core::GetValue<std::string>(defaults[Compression::TAG_COMPRESSION_ALGORITHM]);
  ui->setupUi(this);
  AddButtons(*ui->buttonBox);

  // The form holds the entries' texts, in this order; the values travel as item data.
  QComboBox* combo = ui->comboBoxCompressionAlgorithm;
  const std::string* values[] = {
      &Compression::VAL_COMPRESSION_ALGORITHM_PACKBITS, &Compression::VAL_COMPRESSION_ALGORITHM_RAW,
      &Compression::VAL_COMPRESSION_ALGORITHM_LZW, &Compression::VAL_COMPRESSION_ALGORITHM_DEFLATE};
  for (int i = 0; i < combo->count() && i < int(std::size(values)); ++i) {
    combo->setItemData(i, QString::fromStdString(*values[i]));
  }
  // No entry for a value that is none of them.
  combo->setCurrentIndex(combo->findData(QString::fromStdString(settings.current)));

  connect(combo, &QComboBox::currentIndexChanged, this, &Tiff::OnCompressionAlgorithmChanged);
  connect(this, &QDialog::accepted, this, &Tiff::OnAccepted);
  FixSize(*this, *ui->buttonBox);
}

Tiff::~Tiff() { delete ui; }

void Tiff::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
  QDialog::changeEvent(event);
}

void Tiff::OnCompressionAlgorithmChanged(int index) {
  settings.current = ui->comboBoxCompressionAlgorithm->itemData(index).toString().toUtf8().toStdString();
}

void Tiff::OnAccepted() {
  if (settings.current == settings.initial) return;
  App::AppSettings().SetString(Settings::Name(ExtensionFormatHelper::FORMAT_TIFF,
                                              Compression::TAG_COMPRESSION_ALGORITHM, Settings::FORMAT_SAVE_SETTINGS),
                               settings.current);
  StoreOption(options, Compression::TAG_COMPRESSION_ALGORITHM, settings.current);
}

}  // namespace SaveOptions
}  // namespace Glimra
}  // namespace Zentor
