// The preferences: language, automatic update check and usage statistics. The values are read
// once when the dialog is built; OK writes back only those that changed, switches to a new
// language and emits one signal per changed value. Cancel and closing write nothing.
#pragma once

#include <QDialog>

#include <string>

class QMenu;
class Ui_PreferencesDialog;

namespace Zentor {
namespace Glimra {

class PreferencesDialog : public QDialog {
  Q_OBJECT

 public:
  // `localeMenu` is the main window's language menu; it must outlive the dialog.
  PreferencesDialog(QMenu* localeMenu, QWidget* parent, Qt::WindowFlags flags);
  ~PreferencesDialog() override;

  struct PreferencesDialogSettings {
    template <class T>
    struct Value {
      T initial;
      T current;
      bool Changed() const { return current != initial; }
    };
    // Reads the three values from the settings manager.
    PreferencesDialogSettings();
    Value<std::string> locale;
    Value<bool> autoUpdate;
    Value<bool> sendStatistics;
  };

 signals:
  void languageChanged(std::string locale);
  void autoUpdateChanged(bool enabled);
  void sendStatisticsChanged(bool enabled);

 private slots:
  void OnLanguageChanged(int index);
  void OnAutoUpdateChanged(bool checked);
  void OnSendStatisticsChanged(bool checked);
  void OnAccepted();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  Ui_PreferencesDialog* ui;
  PreferencesDialogSettings settings_;
  QMenu* localeMenu_;
};

}  // namespace Glimra
}  // namespace Zentor
