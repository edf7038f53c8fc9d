// The modal dialog that shows the progress of a long effect run, with a Cancel button, and the
// progress controller through which the engine drives it from its own threads.
#pragma once

#include "Core/Interfaces/IProgressController.h"

#include <QDialog>

#include <boost/intrusive_ptr.hpp>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class Ui_ProgressBar;

namespace Zentor {
namespace Glimra {

class ProgressForwarder;

class ProgressBar : public QDialog {
  Q_OBJECT

 public:
  class ProgressController;

  explicit ProgressBar(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
  ~ProgressBar() override;

  boost::intrusive_ptr<Core::IProgressController> GetProgressController() const;

  // GUI thread only.
  void SetValue(int percent);

  void LoadSettings();
  void SaveSettings() const;

 public Q_SLOTS:
  void OnCancelButtonClicked();
  // Esc and a request to close the window act as Cancel; the dialog stays until the run ends.
  void reject() override;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  std::unique_ptr<Ui_ProgressBar> ui;
  boost::intrusive_ptr<ProgressController> controller;
};

// Every entry point but SetStop may be called from any thread; widget work goes to the GUI thread
// in call order and nothing here waits for it. The controller may outlive its dialog while the
// engine holds it: calls then change its state but reach no widget.
class ProgressBar::ProgressController : public RefCounted<Core::IProgressController> {
 public:
  // Built on the GUI thread.
  explicit ProgressController(ProgressBar* owner);
  ~ProgressController() override;

  void Notify(NotifyEvent event) override;
  void SetMaximum(int maximum) override;
  void SetProgress(int progress) override;
  void IncProgress(int step) override;
  bool CheckForStop() const override;
  void SetClient(Core::IProgressControllerClient* client) override;

  // GUI thread: Cancel.
  void SetStop(bool stop);

 private:
  enum ShowFlagValue : uint32_t { SHOW_STARTED = 1, SHOW_MAXIMUM = 2 };

  // Both run under stateMutex.
  void CheckForExec(uint32_t flag);
  void CheckProgress();

  void StopClient(bool stop);

  ProgressForwarder* forwarder;
  std::atomic<bool> stop{false};

  // Engine threads may call from more than one thread; the state and the order of the forwarded
  // calls are kept together under this lock (never held while the client is called).
  std::mutex stateMutex;
  int maximum = 100;
  int progress = 0;
  int lastPercent = 0;
  uint32_t showFlags = 0;

  // Held while the client is called, so that SetClient(nullptr) returns only when no call into
  // the old client is under way (the engine forgets itself this way before it dies).
  std::recursive_mutex clientMutex;
  Core::IProgressControllerClient* client = nullptr;
};

}  // namespace Glimra
}  // namespace Zentor
