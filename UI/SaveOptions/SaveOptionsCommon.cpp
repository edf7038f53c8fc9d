#include "UI/SaveOptions/SaveOptionsCommon.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLayout>
#include <QPushButton>
#include <QStyle>

namespace Zentor {
namespace Glimra {
namespace SaveOptions {

void AddButtons(QDialogButtonBox& buttons) {
  buttons.addButton(QDialogButtonBox::Ok)->setProperty("type", "OK");
  buttons.addButton(QDialogButtonBox::Cancel)->setProperty("type", "Cancel");
  if (buttons.layout()) buttons.layout()->setSpacing(20);
}

void FixSize(QDialog& dialog, QDialogButtonBox& buttons) {
  // Style sheets see a dynamic property only after the widget is polished again.
  for (QAbstractButton* button : buttons.buttons()) {
    button->style()->unpolish(button);
    button->style()->polish(button);
  }
  dialog.ensurePolished();
  dialog.adjustSize();
  // The layout's hint can be narrower than the form allows.
  dialog.setFixedSize(dialog.sizeHint().expandedTo(dialog.minimumSize()).boundedTo(dialog.maximumSize()));
}

}  // namespace SaveOptions
}  // namespace Glimra
}  // namespace Zentor
