#include "UI/ToolTipWidget.h"

#include "ui_ToolTipWidget.h"

#include "DrawingTools/IToolTipProvider.h"
#include "Platform/AppShell/SettingsManager.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleOption>

#include <glog/logging.h>

#ifdef GLIMRA_WITH_XCB
#include <QByteArray>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace Zentor {
namespace Glimra {

namespace {

constexpr int HIDE_AFTER_MS = 12000;
constexpr int EDGE_DISTANCE = 30;

#ifdef GLIMRA_WITH_XCB
// An X11 compositing manager owns the selection _NET_WM_CM_S<screen>.
bool X11CompositorRuns() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return false;
  int screen = 0;
  if (const char* display = std::getenv("DISPLAY")) {
    const char* colon = std::strrchr(display, ':');
    const char* dot = colon ? std::strchr(colon, '.') : nullptr;
    if (dot) screen = std::atoi(dot + 1);
  }
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr);
  if (!atom) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  if (selection == XCB_ATOM_NONE) return false;
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (!owner) return false;
  const bool runs = owner->owner != XCB_NONE;
  std::free(owner);
  return runs;
}
#endif

bool TranslucencyAvailable() {
  const QString platform = QGuiApplication::platformName();
  if (platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("cocoa") ||
      platform == QLatin1String("windows")) {
    return true;
  }
#ifdef GLIMRA_WITH_XCB
  if (platform == QLatin1String("xcb")) return X11CompositorRuns();
#endif
  return false;
}

}  // namespace

ToolTipWidget::ToolTipWidget(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::ToolTip | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui_ToolTipWidget>()),
      translucent(TranslucencyAvailable()) {
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
