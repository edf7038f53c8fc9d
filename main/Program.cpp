#include "main/Program.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/FFmpeg/Libraries.h"
#include "UI/MainWindow.h"
#include "main/Application.h"
#include "main/ApplicationEventFilter.h"
#include "main/Mediator.h"

#include <QTimer>

#include <boost/exception/diagnostic_information.hpp>
#include <glog/logging.h>

#include <memory>
#include <utility>

namespace Zentor {
namespace Glimra {
namespace {

constexpr int PLUGIN_LOAD_DELAY_MS = 1000;

}  // namespace

int Program::Run(int& argc, char** argv, const StartHook& started) {
  // The picture's decoders load beside the application's set-up; the load needs them first.
  FFmpeg::LoadInBackground();
  // The command line's image loads while the rest of the application and the window are set up:
  // its load needs only the component manager and the program's names and folders.
  Mediator::Start start;
  std::unique_ptr<Application> application;
  try {
    application = std::make_unique<Application>(argc, argv, [&] { start = Mediator::BeginStart(argc, argv); });
  } catch (...) {
    LOG(ERROR) << "The application could not be set up: " << boost::current_exception_diagnostic_information();
    return 1;
  }
  LOG(INFO) << "Application set up";

  int code = 1;
  try {
    MainWindow mainWindow(nullptr, Qt::WindowFlags());
    Mediator mediator(argc, argv, mainWindow, std::move(start));
    ApplicationEventFilter eventFilter(nullptr, mediator);
    application->installEventFilter(&eventFilter);
    LOG(INFO) << "Main window built";
    mainWindow.setVisible(true);
    // The effects' plug-ins load beside the program once its first picture is on screen: while
    // the dynamic loader is busy with them the start's last steps wait. A need for them before
    // then loads them at once.
    QTimer::singleShot(PLUGIN_LOAD_DELAY_MS, application.get(),
                       [] { Core::CoreManager::Instance().LoadPluginsInBackground(); });
    if (started) started(*application, mainWindow, mediator, eventFilter);
    code = application->exec();
    // What an event handler let out ended the loop; it is reported below like any other failure.
    if (std::exception_ptr failure = application->takePendingException()) std::rethrow_exception(failure);
  } catch (const Zentor::Exception& e) {
    LOG(ERROR) << "A Zentor::Exception-based exception has been caught: " << boost::diagnostic_information(e);
    code = 1;
  } catch (const std::exception& e) {
    LOG(ERROR) << "An std::exception-based exception has been caught: " << boost::diagnostic_information(e);
    code = 1;
  } catch (...) {
    LOG(ERROR) << "An unknown exception has been caught: " << boost::current_exception_diagnostic_information();
    code = 1;
  }
  application.reset();
  return code;
}

}  // namespace Glimra
}  // namespace Zentor
