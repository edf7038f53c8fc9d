#include "UI/LassoSelectionWidget.h"

#include "ui_LassoSelectionWidget.h"

#include <QEvent>

namespace Zentor {
namespace Glimra {

LassoSelectionWidget::LassoSelectionWidget(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::Popup), ui(std::make_unique<Ui_LassoSelectionWidget>()) {
  ui->setupUi(this);
  for (QToolButton* button : {ui->lassoButton, ui->polygonButton, ui->switchButton})
    connect(button, &QToolButton::clicked, this, &QWidget::hide);
}

LassoSelectionWidget::~LassoSelectionWidget() = default;

QAbstractButton* LassoSelectionWidget::GetLassoControl() const { return ui->lassoButton; }

QAbstractButton* LassoSelectionWidget::GetPolygonControl() const { return ui->polygonButton; }

void LassoSelectionWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
}

}  // namespace Glimra
}  // namespace Zentor
