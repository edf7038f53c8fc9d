// The program's application object: its construction does all application-wide set-up before any
// window exists (component manager, customisation, settings stores, translation domains, look and
// feel, style sheet, and the action parser with the program's hotkeys).
#pragma once

#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/LookAndFeelManager.h"

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace Zentor {
namespace App {
class ActionParser;
}

namespace Glimra {

class Application : public App::Application {
  Q_OBJECT

 public:
  // A failure of the set-up uninitialises the component manager and propagates. named runs as
  // soon as the program's names, version and folders are known, before the rest of the set-up.
  Application(int& argc, char** argv, const std::function<void()>& named = {});
  ~Application() override;

  static void initCoreManager();
  static void destructCoreManager();

  App::ActionParser* actionParser() const { return actionParser_; }

  // What an event handler let out: the first such exception ends the event loop with code 1 and
  // is kept here for main to report. Null when nothing came; taking it clears it.
  std::exception_ptr takePendingException();

  bool notify(QObject* receiver, QEvent* event) override;

 public slots:
  void handleLocaleChanged(std::string locale);

 signals:
  void moreLanguagesClicked();

 protected:
  void configure(int argc, char** argv, const std::function<void()>& named = {});

 private:
  void KeepPendingException(std::exception_ptr failure);

  App::ActionParser* actionParser_ = nullptr;
  std::shared_ptr<App::LookAndFeelManager> lookAndFeel_;
  std::mutex pendingMutex_;
  std::exception_ptr pending_;
};

}  // namespace Glimra
}  // namespace Zentor
