#include "main/Application.h"

#include "Customization/Action.h"
#include "Customization/CustomizationGlimra.h"
#include "Platform/Bedrock/Property.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/MenuActions/ActionParser.h"
#include "Platform/MenuActions/LookAndFeelActionHandler.h"
#include "Platform/Translations/LocalizationManager.h"

#include <QPalette>
#include <QThread>

#include <boost/filesystem/path.hpp>

#include <glog/logging.h>

#include <algorithm>
#include <utility>

namespace Zentor {
namespace Glimra {
namespace {

using App::ILookAndFeelManager;
using Core::CoreManager;

const char* const ORGANISATION = "Zentor";

// The look-and-feel and translation packages: Qt's, the outside libraries' and the program's.
const std::vector<std::string> MODULES = {"qt", "MenuActions", "Application", "ThemeBase", "Updates", "Glimra"};

}  // namespace

Application::Application(int& argc, char** argv, const std::function<void()>& named)
    : App::Application(argc, argv) {
  try {
    initCoreManager();
    configure(argc, argv, named);
  } catch (...) {
    destructCoreManager();
    lookAndFeel_.reset();
    throw;
  }
}

// Destructors never throw: a failure in here ends the process.
Application::~Application() {
  destructCoreManager();
  lookAndFeel_.reset();
}

void Application::initCoreManager() {
  Core::Property settings{std::string()};  // a group with an empty name
  const boost::filesystem::path locales =
      boost::filesystem::path(App::GetPathToResources()) / ILookAndFeelManager::ROOT / ILookAndFeelManager::LOCALES;
  settings.SetChildT<std::string>(CoreManager::LOCALIZATION_PATH, locales.string());
  CoreManager::Instance().Initialize({}, settings);
  CoreManager::Instance().WaitUntilInitialized();
}

void Application::destructCoreManager() { CoreManager::Instance().Uninitialize(); }

void Application::configure(int argc, char** argv, const std::function<void()>& named) {
  auto customization = std::make_shared<CustomizationGlimra>(argc, argv);
  customization->InitSettings();
  SetCustomizationManager(customization);
  if (named) named();

  SetAppSettingsManager(std::make_shared<App::SettingsManager>(customization->GetAppSettingsName(), ORGANISATION));
  const std::string productPath = customization->GetProductSettingsPath();
  if (!productPath.empty()) SetProductSettingsManager(std::make_shared<App::SettingsManager>(productPath, ORGANISATION));

  Core::GetLocalizationManager().LoadDomain(CoreManager::MESSAGE_DOMAIN);
  Core::GetLocalizationManager().LoadDomain("languages");

  lookAndFeel_ = std::make_shared<App::LookAndFeelManager>(App::GetPathToResources(), MODULES);
  const App::SettingsManagerPtr settings = GetSettingsManager();
  const std::string locale = settings->GetString(ILookAndFeelManager::locale, ILookAndFeelManager::localeUnknown);
  std::string theme = settings->GetString(ILookAndFeelManager::theme, ILookAndFeelManager::themeDefault);
  const std::vector<std::string> themes = lookAndFeel_->GetAvailableThemes();
  if (!themes.empty() && std::find(themes.begin(), themes.end(), theme) == themes.end()) {
    LOG(WARNING) << "The stored theme \"" << theme << "\" does not exist; \"" << themes.front() << "\" is used";
    theme = themes.front();
  }
  lookAndFeel_->Initialize(locale, theme);
  SetLookAndFeelManager(lookAndFeel_);
  customization->SetCurrentLocale(lookAndFeel_->GetCurrentLocale());
  settings->SetStrings({{ILookAndFeelManager::theme, theme}, {ILookAndFeelManager::locale, lookAndFeel_->GetCurrentLocale()}});

  setStyleSheet(lookAndFeel_->GetStyleSheet());
  QPalette palette = QApplication::palette();
  palette.setBrush(QPalette::All, QPalette::Light, QBrush(QColor(Qt::transparent), Qt::SolidPattern));
  QApplication::setPalette(palette);

  actionParser_ = new App::ActionParser(this);
  Action::SetParser(actionParser_);
  App::LookAndFeelActionHandler* lookAndFeelHandler = Action::AddHandlers(*actionParser_, lookAndFeel_);
  connect(lookAndFeelHandler, &App::LookAndFeelActionHandler::localeChanged, this, &Application::handleLocaleChanged);
  connect(lookAndFeelHandler, &App::LookAndFeelActionHandler::moreLanguagesClicked, this,
          &Application::moreLanguagesClicked);
}

void Application::handleLocaleChanged(std::string locale) {
  GetCustomizationManager()->SetCurrentLocale(locale);
  GetSettingsManager()->SetString(ILookAndFeelManager::locale, locale);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return App::Application::notify(receiver, event);
  } catch (...) {
    KeepPendingException(std::current_exception());
  }
  return false;
}

void Application::KeepPendingException(std::exception_ptr failure) {
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    if (pending_) return;
    pending_ = std::move(failure);
  }
  // Handlers of objects on other threads get here too; the loop is ended from the GUI thread.
  if (QThread::currentThread() == thread())
    exit(1);
  else
    QMetaObject::invokeMethod(this, [] { exit(1); }, Qt::QueuedConnection);
}

std::exception_ptr Application::takePendingException() {
  std::lock_guard<std::mutex> lock(pendingMutex_);
  return std::exchange(pending_, nullptr);
}

}  // namespace Glimra
}  // namespace Zentor
