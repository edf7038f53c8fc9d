// The TIFF save options: the compression algorithm.
#pragma once

#include "Core/Interfaces/Property.h"

#include <QDialog>

#include <string>

namespace Ui {
class Tiff;
}

namespace Zentor {
namespace Glimra {
namespace SaveOptions {

class Tiff : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog modally on options; an accepted change also becomes the stored default.
  static void Open(Core::Property& options, QWidget* parent, Qt::WindowFlags flags);

  Tiff(Core::Property& options, QWidget* parent, Qt::WindowFlags flags);
  ~Tiff() override;

 protected:
  void changeEvent(QEvent* event) override;

 private slots:
  void OnCompressionAlgorithmChanged(int index);
  void OnAccepted();

 private:
  struct PreferencesDialogSettings {
    std::string initial;
    std::string current;
  };

  ::Ui::Tiff* ui;
  Core::Property& options;
  PreferencesDialogSettings settings;
};

}  // namespace SaveOptions
}  // namespace Glimra
}  // namespace Zentor
