// The shell's modal alert: a QMessageBox at one of three levels, to which callers add buttons.
#pragma once

#include <QMessageBox>

#include <functional>

namespace Zentor {
namespace App {

class AlertBox : public QMessageBox {
  Q_OBJECT

 public:
  // Levels as the engine reports them.
  enum Level { LEVEL_ALERT = 0, LEVEL_DEFAULT = 1, LEVEL_NOTICE = 2 };

  AlertBox(int level, const QString& title, const QString& text, StandardButtons buttons = NoButton,
           QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

  int Level() const { return level_; }
  void SetWidth(int width);

  // Shows the box modally; with a hook set, the hook answers instead and no event loop runs.
  int exec() override;
  static int exec(int level, const QString& title, const QString& text, StandardButtons buttons = NoButton,
                  QWidget* parent = nullptr,
                  Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

  // Tests answer alerts through this hook: it gets the box (with its buttons) and returns what
  // exec() returns. It may click a button first (clickedButton() is then that button).
  using ExecHook = std::function<int(AlertBox&)>;
  static void SetExecHook(ExecHook hook);
  static bool HasExecHook();

 private:
  int level_;
};

}  // namespace App
}  // namespace Zentor
