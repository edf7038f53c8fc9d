// The modal about box. It is an AlertBox, so the alert hook answers it in tests.
#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace Zentor {
namespace App {

class AboutBoxDialog {
  Q_DECLARE_TR_FUNCTIONS(Zentor::App::AboutBoxDialog)

 public:
  // `link` is the home page's URL; the box shows it as a link the user can follow.
  static void ShowAbout(const QString& fullApplicationName, const QString& link, QWidget* parent);
};

}  // namespace App
}  // namespace Zentor
