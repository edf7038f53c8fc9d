#include "UI/UndoWidget.h"

#include "ui_UndoWidget.h"

#include "Engine/ErrorPath.h"

#include <QAction>
#include <QEvent>

namespace Zentor {
namespace Glimra {

UndoWidget::UndoWidget(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui_UndoWidget>()) {
  ui->setupUi(this);
  connect(this, &UndoWidget::undoEnabled, ui->undoButton, &QWidget::setEnabled);
  connect(this, &UndoWidget::redoEnabled, ui->redoButton, &QWidget::setEnabled);
  connect(ui->undoButton, &QToolButton::clicked, this, &UndoWidget::OnUndoButtonClicked);
  connect(ui->redoButton, &QToolButton::clicked, this, &UndoWidget::OnRedoButtonClicked);
}

UndoWidget::~UndoWidget() = default;

// The actions are the main window's; only their enabled state and trigger are bound here.
void UndoWidget::SetUndoUIActions(const QAction* undo, const QAction* redo) {
  if (undo) {
    connect(this, &UndoWidget::undoEnabled, const_cast<QAction*>(undo), &QAction::setEnabled);
    connect(undo, &QAction::triggered, ui->undoButton, &QAbstractButton::animateClick);
  }
  if (redo) {
    connect(this, &UndoWidget::redoEnabled, const_cast<QAction*>(redo), &QAction::setEnabled);
    connect(redo, &QAction::triggered, ui->redoButton, &QAbstractButton::animateClick);
  }
}

void UndoWidget::SetUndoEngine(IGlimraUndoBase* engine) {
  undoEngine = engine;
  UpdateState();
}

void UndoWidget::HandleEventInternal() { UpdateState(); }

// Before the first image the buttons keep their state.
void UndoWidget::UpdateState() {
  if (!undoEngine) return;
  try {
    const bool undo = undoEngine->IsUndoEnabled();
    const bool redo = undoEngine->IsRedoEnabled();
    emit undoEnabled(undo);
    emit redoEnabled(redo);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void UndoWidget::OnUndoButtonClicked() {
  if (!undoEngine) return;
  try {
    undoEngine->Undo();
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void UndoWidget::OnRedoButtonClicked() {
  if (!undoEngine) return;
  try {
    undoEngine->Redo();
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void UndoWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
}

}  // namespace Glimra
}  // namespace Zentor
