// The run of the program: the long-lived objects built in a fixed order on the GUI thread, the
// event loop, the teardown in reverse order, and every failure that reaches this far turned into
// one ERROR line and exit code 1.
#pragma once

#include <functional>

namespace Zentor {
namespace Glimra {

class Application;
class ApplicationEventFilter;
class MainWindow;
class Mediator;

class Program {
 public:
  // Called once everything is built and the window shows, right before the event loop runs.
  using StartHook = std::function<void(Application&, MainWindow&, Mediator&, ApplicationEventFilter&)>;

  // Returns the exit code: the event loop's, or 1 after a failure.
  static int Run(int& argc, char** argv, const StartHook& started = StartHook());
};

}  // namespace Glimra
}  // namespace Zentor
