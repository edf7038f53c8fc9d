// The JPEG save options: the quality on the encoder's scale (1 best, 32 smallest file).
#pragma once

#include "Core/Interfaces/Property.h"

#include <QDialog>

namespace Ui {
class Jpeg;
}

namespace Zentor {
namespace Glimra {
namespace SaveOptions {

class Jpeg : public QDialog {
  Q_OBJECT

 public:
  // Runs the dialog modally on options; an accepted change also becomes the stored default.
  static void Open(Core::Property& options, QWidget* parent, Qt::WindowFlags flags);

  Jpeg(Core::Property& options, QWidget* parent, Qt::WindowFlags flags);
  ~Jpeg() override;

 protected:
  void changeEvent(QEvent* event) override;

 private slots:
  void OnQualityChanged(int value);
  void OnAccepted();

 private:
  struct PreferencesDialogSettings {
    int initial;
    int current;
  };

  void UpdateValueLabel();

  ::Ui::Jpeg* ui;
  Core::Property& options;
  PreferencesDialogSettings settings;
};

}  // namespace SaveOptions
}  // namespace Glimra
}  // namespace Zentor
