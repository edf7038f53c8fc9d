// Answers the image-size dialog that the panel runs modally.
#pragma once

#include "UI/ResizeDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace EffectsPanelTest {

using Zentor::Glimra::ResizeDialog;

// Once the next image-size dialog shows, `fill` sets its fields and `button` closes it.
inline void AnswerResizeDialog(std::function<void(ResizeDialog&)> fill, QDialogButtonBox::StandardButton button,
                               int attempts = 200) {
  QTimer::singleShot(5, qApp, [=] {
    auto* dialog = qobject_cast<ResizeDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
      if (attempts > 0) {
        AnswerResizeDialog(fill, button, attempts - 1);
      } else {
        ADD_FAILURE() << "The image-size dialog did not show.";
      }
      return;
    }
    if (fill) fill(*dialog);
    dialog->findChild<QDialogButtonBox*>("buttonBox")->button(button)->click();
  });
}

// A pixel size with the proportions free.
inline std::function<void(ResizeDialog&)> PixelSize(int width, int height) {
  return [=](ResizeDialog& dialog) {
    dialog.findChild<QCheckBox*>("checkBoxScale")->setChecked(false);
    dialog.findChild<QDoubleSpinBox*>("spinBoxWidth")->setValue(width);
    dialog.findChild<QDoubleSpinBox*>("spinBoxHeight")->setValue(height);
  };
}

}  // namespace EffectsPanelTest
