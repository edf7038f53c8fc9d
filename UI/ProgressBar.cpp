#include "UI/ProgressBar.h"

#include "ui_ProgressBar.h"

#include "GlimraCore/Settings.h"
#include "Platform/AppShell/SettingsManager.h"
#include "Platform/QtGlue/ScreenPlacement.h"

#include <QEvent>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <glog/logging.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <limits>

namespace Zentor {
namespace Glimra {

// Lives on the GUI thread and runs queued calls on the dialog there, in the order they were
// queued. The calls are handed over through our own lock and the wake-up is a call by name with
// no arguments, so no data crosses threads unseen by a thread checker.
class ProgressForwarder : public QObject {
  Q_OBJECT

 public:
  explicit ProgressForwarder(ProgressBar* owner) : owner(owner) {}

  // Any thread.
  void Forward(std::function<void(ProgressBar&)> call) {
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      wake = calls.empty();
      calls.push_back(std::move(call));
    }
    if (wake) QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
  }

 private Q_SLOTS:
  void Drain() {
    std::deque<std::function<void(ProgressBar&)>> ready;
    {
      std::lock_guard<std::mutex> lock(mutex);
      ready.swap(calls);
    }
    for (auto& call : ready) {
      if (owner) call(*owner);
    }
  }

 private:
  QPointer<ProgressBar> owner;
  std::mutex mutex;
  std::deque<std::function<void(ProgressBar&)>> calls;
};

ProgressBar::ProgressController::ProgressController(ProgressBar* owner) : forwarder(new ProgressForwarder(owner)) {}

ProgressBar::ProgressController::~ProgressController() {
  // The engine may drop the last reference on its own thread; the forwarder then dies on its own
  // thread after the calls already queued.
  if (QThread::currentThread() == forwarder->thread()) {
    delete forwarder;
  } else {
    forwarder->deleteLater();
  }
}

void ProgressBar::ProgressController::Notify(NotifyEvent event) {
  {
    std::lock_guard<std::mutex> lock(stateMutex);
    const bool maximumCame = (showFlags & SHOW_MAXIMUM) != 0;
    if (event == EVENT_START) {
      CheckForExec(SHOW_STARTED);
    } else {
      forwarder->Forward([](ProgressBar& dialog) { dialog.accept(); });
      showFlags &= ~uint32_t(SHOW_STARTED);
    }
    stop = false;
    // A maximum announced before the start belongs to this run and stays.
    if (event != EVENT_START || !maximumCame) {
      maximum = 100;
      progress = 0;
    }
    CheckProgress();
  }
  StopClient(false);
}

void ProgressBar::ProgressController::SetMaximum(int value) {
  std::lock_guard<std::mutex> lock(stateMutex);
  maximum = value;
  CheckForExec(SHOW_MAXIMUM);
}

void ProgressBar::ProgressController::SetProgress(int value) {
  std::lock_guard<std::mutex> lock(stateMutex);
  progress = value;
  CheckProgress();
}

void ProgressBar::ProgressController::IncProgress(int step) {
  std::lock_guard<std::mutex> lock(stateMutex);
  const long long sum = (long long)progress + step;
  progress = int(std::clamp<long long>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
  CheckProgress();
}

bool ProgressBar::ProgressController::CheckForStop() const { return stop.load(); }

void ProgressBar::ProgressController::SetClient(Core::IProgressControllerClient* value) {
  std::lock_guard<std::recursive_mutex> lock(clientMutex);
  client = value;
}

void ProgressBar::ProgressController::SetStop(bool value) {
  stop = value;
  StopClient(value);
}

void ProgressBar::ProgressController::StopClient(bool value) {
  std::lock_guard<std::recursive_mutex> lock(clientMutex);
  if (client) client->Stop(value);
}

void ProgressBar::ProgressController::CheckForExec(uint32_t flag) {
  showFlags |= flag;
  if ((showFlags & (SHOW_STARTED | SHOW_MAXIMUM)) == (SHOW_STARTED | SHOW_MAXIMUM)) {
    // Shown modally but without a nested event loop: the end event's accept() closes it.
    forwarder->Forward([](ProgressBar& dialog) { dialog.show(); });
    showFlags = 0;
  }
}

void ProgressBar::ProgressController::CheckProgress() {
  int percent = 0;
  if (maximum > 0) {
    const double exact = progress * 100.0 / maximum + 0.5;
    percent = int(std::clamp(exact, 0.0, 100.0));
  }
  if (percent == lastPercent) return;
  lastPercent = percent;
  forwarder->Forward([percent](ProgressBar& dialog) { dialog.SetValue(percent); });
}

ProgressBar::ProgressBar(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(std::make_unique<Ui_ProgressBar>()) {
  ui->setupUi(this);
  controller = new ProgressController(this);
  connect(ui->cancelButton, &QPushButton::clicked, this, &ProgressBar::OnCancelButtonClicked);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  setModal(true);
  setFixedSize(size());
}

ProgressBar::~ProgressBar() = default;

boost::intrusive_ptr<Core::IProgressController> ProgressBar::GetProgressController() const { return controller; }

void ProgressBar::SetValue(int percent) { ui->progressBar->setValue(percent); }

void ProgressBar::OnCancelButtonClicked() { controller->SetStop(true); }

// Hiding the dialog would unlock the window while the effect still works; only the run's end
// event closes it.
void ProgressBar::reject() {
  if (isVisible()) OnCancelButtonClicked();
}

void ProgressBar::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
}

void ProgressBar::LoadSettings() {
  App::ISettingsManager& settings = App::AppSettings();
  const std::string name = objectName().toStdString();
  const std::vector<uint8_t> geometry = settings.GetBytes(name + Settings::GEOMETRY, {});
  if (!geometry.empty()) {
    restoreGeometry(QByteArray(reinterpret_cast<const char*>(geometry.data()), int(geometry.size())));
  }
  const int64_t x = settings.GetInt64(name + Settings::OFFSET_X, pos().x());
  const int64_t y = settings.GetInt64(name + Settings::OFFSET_Y, pos().y());
  if (Gui::LiesOnScreens(x, y, width(), height())) {
    move(int(x), int(y));
  } else {
    LOG(WARNING) << "The stored place " << x << "," << y << " of " << name << " is off the screens; it is not used";
  }
}

void ProgressBar::SaveSettings() const {
  App::ISettingsManager& settings = App::AppSettings();
  const std::string name = objectName().toStdString();
  const QByteArray geometry = saveGeometry();
  settings.SetBytes(name + Settings::GEOMETRY, std::vector<uint8_t>(geometry.begin(), geometry.end()));
  settings.SetInt64(name + Settings::OFFSET_X, normalGeometry().x());
  settings.SetInt64(name + Settings::OFFSET_Y, normalGeometry().y());
}

}  // namespace Glimra
}  // namespace Zentor

#include "ProgressBar.moc"
