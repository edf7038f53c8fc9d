#include "UI/ToolTipWidget.h"

#include "ui_ToolTipWidget.h"

#include "DrawingTools/IToolTipProvider.h"
#include "Platform/AppShell/SettingsManager.h"
#include "UI/TranslucentWindows.h"

#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QStyleOption>

#include <glog/logging.h>

namespace Zentor {
namespace Glimra {

namespace {

constexpr int HIDE_AFTER_MS = 12000;
constexpr int EDGE_DISTANCE = 30;

}  // namespace

ToolTipWidget::ToolTipWidget(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::ToolTip | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui_ToolTipWidget>()),
      translucent(TranslucentWindowsAvailable()) {
  ui->setupUi(this);
  setAttribute(Qt::WA_TranslucentBackground, translucent);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
  colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
  setPalette(colours);

  timer.setSingleShot(true);
  timer.setInterval(HIDE_AFTER_MS);
  connect(&timer, &QTimer::timeout, this, &QWidget::hide);
  connect(ui->checkBox, &QCheckBox::stateChanged, this, &ToolTipWidget::OnNotShowAgain);
  connect(ui->closeButton, &QToolButton::clicked, this, &QWidget::hide);
  ensurePolished();
}

ToolTipWidget::~ToolTipWidget() = default;

void ToolTipWidget::showToolTip(const IToolTipProvider* hint) {
  provider = hint;
  const QString text = provider ? provider->GetDescription() : QString();
  settingsName = provider ? provider->GetSettingsName() : std::string();
  if (text.isEmpty() || settingsName.empty() || App::AppSettings().GetBool(settingsName, false)) {
    hide();
    return;
  }
  ui->tooltip->setText(text);
  ui->checkBox->setChecked(false);
  adjustSize();
  changePosition();
  show();
  timer.start();
}

void ToolTipWidget::hideToolTip() {
  // The user may be about to tick the box or close it.
  if (!frameGeometry().contains(QCursor::pos())) hide();
}

void ToolTipWidget::changePosition() {
  QWidget* owner = parentWidget();
  if (!owner) {
    LOG(ERROR) << "There is no parent widget.";
    return;
  }
  move(owner->mapToGlobal(
      QPoint(owner->width() - EDGE_DISTANCE - width(), owner->height() - EDGE_DISTANCE - height())));
}

bool ToolTipWidget::isToolTipVisible() const { return isVisible(); }

void ToolTipWidget::OnNotShowAgain(int state) {
  if (provider && !settingsName.empty()) App::AppSettings().SetBool(settingsName, state != 0);
}

void ToolTipWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::LanguageChange) return;
  ui->retranslateUi(this);
  if (isVisible() && provider) ui->tooltip->setText(provider->GetDescription());
}

void ToolTipWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor base = palette().color(QPalette::Window);
  const QColor edge = palette().color(QPalette::Mid);
  if (translucent) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(edge);
    painter.setBrush(base);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
  } else {
    painter.fillRect(rect(), base);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  // A theme's style sheet may draw the bubble its own way.
  QStyleOption option;
  option.initFrom(this);
  style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

}  // namespace Glimra
}  // namespace Zentor
