// Calls back when the user presses the print-screen key in one of the program's windows. A key
// press that reaches another program is not seen.
#pragma once

#include <QObject>

namespace Zentor {
namespace Core {

// Built and destroyed on the GUI thread, after the application object; the callback runs there.
class HookerPrintScreen : public QObject {
  Q_OBJECT

 public:
  using Callback = void (*)();

  explicit HookerPrintScreen(Callback callback);
  ~HookerPrintScreen() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Callback callback_;
};

}  // namespace Core
}  // namespace Zentor
