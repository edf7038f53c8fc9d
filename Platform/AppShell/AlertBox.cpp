#include "Platform/AppShell/AlertBox.h"

#include <QStyle>

#include <utility>

namespace Zentor {
namespace App {

namespace {
AlertBox::ExecHook& Hook() {
  static AlertBox::ExecHook hook;
  return hook;
}
}  // namespace

AlertBox::AlertBox(int level, const QString& title, const QString& text, StandardButtons buttons,
                   QWidget* parent, Qt::WindowFlags flags)
    : QMessageBox(level == LEVEL_ALERT ? Critical : level == LEVEL_NOTICE ? Information : Warning, title, text,
                  buttons, parent, flags),
      level_(level) {
  setTextFormat(Qt::AutoText);
}

void AlertBox::SetWidth(int width) {
  // QMessageBox sizes itself from its label; a minimum width on the layout's grid widens it.
  setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }").arg(width));
}

int AlertBox::exec() {
  if (Hook()) return Hook()(*this);
  return QMessageBox::exec();
}

int AlertBox::exec(int level, const QString& title, const QString& text, StandardButtons buttons, QWidget* parent,
                   Qt::WindowFlags flags) {
  AlertBox box(level, title, text, buttons, parent, flags);
  return box.exec();
}

void AlertBox::SetExecHook(ExecHook hook) { Hook() = std::move(hook); }

bool AlertBox::HasExecHook() { return static_cast<bool>(Hook()); }

}  // namespace App
}  // namespace Zentor
