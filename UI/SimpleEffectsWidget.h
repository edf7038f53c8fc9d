// The top panel's one-click effects: crop, image size, the two flips, rotate and magic enhance.
// Each runs on the current image's paint tools; the engine records every run as one undo step.
#pragma once

#include "Engine/PaintTools.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <string>
#include <vector>

class QAbstractButton;
class Ui_SimpleEffectsWidget;

namespace Zentor {
namespace Glimra {

// GUI thread only.
class SimpleEffectsWidget : public QWidget {
  Q_OBJECT

 public:
  explicit SimpleEffectsWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~SimpleEffectsWidget() override;

  // Each opened image brings its paint tools; the pointer turns null by itself when they die.
  void SetPaintTools(const QPointer<PaintTools>& tools);

  QAbstractButton* GetCropImageControl() const;
  QAbstractButton* GetResizeImageControl() const;
  QAbstractButton* GetVerticalFlipControl() const;
  QAbstractButton* GetHorizontalFlipControl() const;
  QAbstractButton* GetRotateControl() const;
  QAbstractButton* GetMagicEnhanceControl() const;

  // The sizes the picture passes through from `current` to `target`. Each side is even and at
  // least 2; a side shrinks at most to about 1/63 per step, so strong reductions stay smooth.
  // The last step is the (even) target.
  static std::vector<QSize> ResizeSteps(QSize current, QSize target);

 Q_SIGNALS:
  // The class id of an effect the user abandoned.
  void effectCanceled(std::string effect);

 public Q_SLOTS:
  void OnRotateClicked();
  void OnVerticalFlipClicked();
  void OnHorizontalFlipClicked();
  void OnMagicEnhanceClicked();
  void OnResizeImageClicked();
  void OnCropImageClicked();

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // Runs the preset under the busy cursor; a failure goes to the error path.
  void ApplyEffect(const Core::Property& preset);

  Ui_SimpleEffectsWidget* ui;
  QPointer<PaintTools> paintTools;
};

}  // namespace Glimra
}  // namespace Zentor
