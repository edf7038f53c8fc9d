#include "UI/MainWindow.h"

#include "ui_MainWindow.h"

#include "Customization/Action.h"
#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "Engine/ErrorPath.h"
#include "Engine/PaintTools.h"
#include "GlimraCore/GlimraExceptions.h"
#include "Platform/AppShell/AboutBoxDialog.h"
#include "Platform/AppShell/AlertBox.h"
#include "Platform/AppShell/Application.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/QtGlue/ScreenPlacement.h"
#include "Platform/Translations/LocalizationManager.h"
#include "UI/DocumentDialogs.h"
#include "UI/IUIToolsControl.h"
#include "UI/PicturePrinter.h"
#include "UI/SaveFilePanel.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QUrl>

#include <boost/exception/diagnostic_information.hpp>
#include <boost/exception/errinfo_file_name.hpp>
#include <glog/logging.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace Zentor {
namespace Glimra {

const QString MainWindow::QUESTION_IMAGE = QStringLiteral(":/Glimra/question_icon.png");
const char* const MainWindow::NOT_ENOUGH_MEMORY = QT_TRANSLATE_NOOP("core", "Not enough memory");
const char* const MainWindow::UNKNOWN_ERROR = QT_TRANSLATE_NOOP("core", "Unknown error");

namespace {

// The engine's fixed failure descriptions a user can meet; they are message keys of the "core"
// domain, listed so that the translation files carry them. Descriptions built at run time (paths,
// damaged records) are not translated, but for the causes of a failed open: with the file's name
// taken out as %1 they are keys too.
[[maybe_unused]] const char* const ENGINE_ALERTS[] = {
    QT_TRANSLATE_NOOP("core", "The folder containing temporary data is unavailable.\nPlease restart the program."),
    QT_TRANSLATE_NOOP("core", "Crop settings incomplete."),
    QT_TRANSLATE_NOOP("core", "Crop selection out of range."),
    QT_TRANSLATE_NOOP("core", "An effect is running"),
    QT_TRANSLATE_NOOP("core", "No selection was given."),
    QT_TRANSLATE_NOOP("core", "The selection could not be resized"),
    QT_TRANSLATE_NOOP("core", "The session has no current picture"),
    QT_TRANSLATE_NOOP("core", "There is no picture to save"),
    QT_TRANSLATE_NOOP("core", "There is no picture to crop"),
    QT_TRANSLATE_NOOP("core", "There is no picture to paint on"),
    QT_TRANSLATE_NOOP("core", "There is no picture to clone from"),
    QT_TRANSLATE_NOOP("core", "There is no picture to blend onto"),
    QT_TRANSLATE_NOOP("core", "There is no picture to apply the effect to"),
    QT_TRANSLATE_NOOP("core", "The picture cannot be encoded in the chosen format"),
    QT_TRANSLATE_NOOP("core", "No encoder for the save settings"),
    QT_TRANSLATE_NOOP("core", "The encoder gave no data"),
    QT_TRANSLATE_NOOP("core", "\"%1\" is not a regular file"),
    QT_TRANSLATE_NOOP("core", "Cannot open \"%1\": Permission denied"),
    QT_TRANSLATE_NOOP("core", "Cannot open \"%1\": No such file or directory"),
};

const char* const SCREAMER_IMAGE = ":/Glimra/screamer_icon.png";
const char* const INTERACTION = "interaction";

std::string Key(const std::string& word) { return Settings::Name("MainWindow", word); }

App::ISettingsManager& Store() { return App::Application::CurrentSettings(); }

QString PicturesFolder() { return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation); }

std::vector<uint8_t> ToBytes(const QByteArray& bytes) { return std::vector<uint8_t>(bytes.begin(), bytes.end()); }

QByteArray FromBytes(const std::vector<uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

bool MarkedAsInteraction(const QObject* object) {
  const QVariant value = object->property(INTERACTION);
  return value.typeId() == QMetaType::Bool && value.toBool();
}

// A question alert's buttons carry no role of their own; the hidden empty reject button makes Esc
// answer like the cautious choice.
void AddEscapeButton(App::AlertBox& box) {
  QPushButton* escape = box.addButton(QString(), QMessageBox::RejectRole);
  escape->hide();
  box.setEscapeButton(escape);
}

// A menu whose entries are all hidden would open empty; it is hidden itself. True when it stays.
bool HideIfEmpty(QMenu* menu) {
  bool shown = false;
  for (QAction* action : menu->actions()) {
    if (!action->isVisible() || action->isSeparator()) continue;
    if (!action->menu() || HideIfEmpty(action->menu())) shown = true;
  }
  if (!shown) menu->menuAction()->setVisible(false);
  return shown;
}

App::AlertBox* MakeQuestion(QWidget* parent, const QString& text) {
  // The class's own context spelled out: lupdate files a tr() outside the class under another.
  auto* box = new App::AlertBox(App::AlertBox::LEVEL_NOTICE,
                                QCoreApplication::translate("Zentor::Glimra::MainWindow", "Attention"), text,
                                QMessageBox::NoButton, parent);
  box->setIconPixmap(QPixmap(MainWindow::QUESTION_IMAGE));
  return box;
}

struct Failure {
  int level;
  std::string key;
  std::string log;
};

int AlertLevel(const GlimraException& e) {
  const ExceptionLevelIDs* level = boost::get_error_info<TagLevelID>(e);
  if (!level) return App::AlertBox::LEVEL_DEFAULT;
  switch (*level) {
    case LEVEL_ALERT: return App::AlertBox::LEVEL_ALERT;
    case LEVEL_NOTICE: return App::AlertBox::LEVEL_NOTICE;
    default: return App::AlertBox::LEVEL_DEFAULT;
  }
}

Failure Classify(const boost::exception_ptr& error) {
  try {
    boost::rethrow_exception(error);
  } catch (const GlimraException& e) {
    const std::string key = GetDescription(e, MainWindow::UNKNOWN_ERROR);
    return {AlertLevel(e), key, key};
  } catch (const Core::MemoryException& e) {
    return {App::AlertBox::LEVEL_DEFAULT, MainWindow::NOT_ENOUGH_MEMORY, GetDescription(e, MainWindow::NOT_ENOUGH_MEMORY)};
  } catch (const Zentor::Exception& e) {
    const std::string key = GetDescription(e, MainWindow::UNKNOWN_ERROR);
    return {App::AlertBox::LEVEL_DEFAULT, key, key};
  } catch (const std::bad_alloc& e) {
    return {App::AlertBox::LEVEL_DEFAULT, MainWindow::NOT_ENOUGH_MEMORY, e.what()};
  } catch (const std::exception& e) {
    return {App::AlertBox::LEVEL_DEFAULT, e.what(), e.what()};
  } catch (...) {
    // Nothing to say about it but that it happened; the diagnostic text goes to the log.
    return {App::AlertBox::LEVEL_DEFAULT, MainWindow::UNKNOWN_ERROR, MainWindow::UNKNOWN_ERROR};
  }
}

// Why an open failed, when the engine could not reach the file (it names the file then); empty
// for a file that is no picture or another failure.
QString OpenFailureCause(const boost::exception_ptr& error) {
  if (!error) return QString();
  try {
    boost::rethrow_exception(error);
  } catch (const Zentor::Exception& e) {
    const std::string* file = boost::get_error_info<boost::errinfo_file_name>(e);
    const std::string* text = boost::get_error_info<TagDescription>(e);
    if (!file || file->empty() || !text) return QString();
    std::string key = *text;
    for (size_t at = key.find(*file); at != std::string::npos; at = key.find(*file, at + 2)) {
      key.replace(at, file->size(), "%1");
    }
    if (key == *text) return QString();
    const QString cause = QString::fromStdString(Core::GetLocalizationManagerForDomain("core")->Translate(key));
    return cause.toHtmlEscaped().arg(QFile::decodeName(QByteArray::fromStdString(*file)).toHtmlEscaped());
  } catch (...) {
  }
  return QString();
}

}  // namespace

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags),
      ui(new Ui_MainWindow()),
      dialogs_(std::make_unique<DocumentDialogs>()),
      savePanel_(std::make_unique<SaveFilePanel>()) {
  ui->setupUi(this);

  ui->socialWidget->hide();
  Action::parse(ui->menubar);
  for (QMenu* menu : {ui->menu_Theme, ui->menuTheme}) {
    for (QAction* action : menu->actions()) action->setVisible(false);
  }
  for (QAction* action : ui->menubar->actions()) {
    if (action->isVisible() && action->menu()) HideIfEmpty(action->menu());
  }

  toolGroup_ = new QActionGroup(this);
  for (QAction* action : {ui->actionBrush, ui->actionLasso, ui->actionWand, ui->actionClear, ui->actionClone}) {
    toolGroup_->addAction(action);
  }

  Connect();

  if (IUIToolsControl* tools = ui->workspaceWidget->GetUIToolsControl()) {
    tools->SetStartEraseUIAction(ui->actionStart_Erasing);
    tools->SetClearSelectionUIAction(ui->actionClear_selection);
    tools->SetSaveSelectionUIAction(ui->actionSave_selection);
    tools->SetResetAllChangesUIAction(ui->actionResetAllChanges);
    tools->SetResizeSelectionActions(ui->actionIncrease_Selection, ui->actionDecrease_Selection);
  }
  ui->workspaceWidget->SetFileInfoUIAction(ui->actionFile_information);
  ui->undoWidget->SetUndoUIActions(ui->actionUndo, ui->actionRedo);
  ui->undoWidget->hide();
  ui->simpleEffectsWidget->hide();

  ConnectControlUse();
  ErrorPath::SetHandler([this](boost::exception_ptr error) { ThrowInternal(error); });

  LoadSettings();
}

MainWindow::~MainWindow() {
  ErrorPath::SetHandler(nullptr);
  try {
    SaveSettings();
  } catch (const Zentor::Exception& e) {
    LOG(ERROR) << GetDescription(e);
  } catch (const std::exception& e) {
    LOG(ERROR) << e.what();
  } catch (...) {
    LOG(ERROR) << "Unknown error";
  }
  controller.reset();
  delete ui;
}

void MainWindow::Connect() {
  connect(ui->openButton, &QAbstractButton::clicked, this, &MainWindow::BrowseToOpenFile);
  connect(ui->actionOpen, &QAction::triggered, ui->openButton, [this] { ui->openButton->animateClick(); });
  connect(ui->actionSave, &QAction::triggered, ui->saveButton, [this] { ui->saveButton->animateClick(); });
  connect(ui->saveButton, &QAbstractButton::clicked, this, &MainWindow::OnSaveClicked);
  connect(ui->actionSave_as, &QAction::triggered, this, &MainWindow::OnSaveClicked);
  connect(ui->actionPrint, &QAction::triggered, this, &MainWindow::OnPrintClicked);
  connect(ui->actionOpen_selection, &QAction::triggered, this, &MainWindow::BrowseToOpenSelection);
  connect(ui->actionSave_selection, &QAction::triggered, this, &MainWindow::BrowseToSaveSelection);
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_2), this), &QShortcut::activated, this,
          &MainWindow::BrowseToOpenSelection);
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_1), this), &QShortcut::activated, this,
          &MainWindow::BrowseToSaveSelection);
  connect(new QShortcut(QKeySequence(Qt::ALT | Qt::Key_X), this), &QShortcut::activated, this, &MainWindow::OnQuit);

  // The application menu on macOS, its twins elsewhere.
  for (QAction* about : {ui->action_About, ui->actionAbout})
    connect(about, &QAction::triggered, this, &MainWindow::OnAbout);
  for (QAction* updates : {ui->action_Check_for_Updates, ui->actionCheck_for_Updates})
    connect(updates, &QAction::triggered, this, &MainWindow::checkForUpdateRequested);
  for (QAction* preferences : {ui->action_Preferences, ui->actionPreferences})
    connect(preferences, &QAction::triggered, this, &MainWindow::showPreferencesDialog);
  for (QAction* quit : {ui->action_Quit, ui->actionExit}) connect(quit, &QAction::triggered, this, &QWidget::close);

  connect(ui->actionFAQ, &QAction::triggered, this, &MainWindow::faqRequested);
  connect(ui->actionContact_Support, &QAction::triggered, this, &MainWindow::contactSupport);
  connect(ui->actionHelp_Topics, &QAction::triggered, this, &MainWindow::needHelp);
  connect(ui->actionZentor_Forum, &QAction::triggered, this, [] {
    if (App::Application* application = App::Application::Instance()) {
      QDesktopServices::openUrl(QUrl(QString::fromStdString(
          application->GetUrl(App::ILinksManager::URL_ZENTOR_FORUM, App::ILinksManager::URL_SRC_MENU))));
    }
  });
  connect(this, &MainWindow::saveEnabled, ui->actionSave, &QAction::setEnabled);
  connect(this, &MainWindow::saveEnabled, ui->saveButton, &QWidget::setEnabled);

  WorkspaceWidget* page = ui->workspaceWidget;
  connect(ui->actionZoom_in, &QAction::triggered, page, &WorkspaceWidget::ZoomIn);
  connect(ui->actionZoom_out, &QAction::triggered, page, &WorkspaceWidget::ZoomOut);
  connect(ui->actionActual_size, &QAction::triggered, page, &WorkspaceWidget::ScaleToOrigin);
  connect(ui->actionFit_to_screen, &QAction::triggered, page, &WorkspaceWidget::ScaleToFit);
  connect(page, &WorkspaceWidget::scaleEnabled, this, &MainWindow::OnScaleEnabled);
  connect(page, &WorkspaceWidget::openFile, this, &MainWindow::openFile);
  connect(page, &WorkspaceWidget::restoreLastSession, this, &MainWindow::restoreLastSession);
  connect(page, &WorkspaceWidget::browseFile, this, &MainWindow::BrowseToOpenFile);

  if (IUIToolsControl* tools = page->GetUIToolsControl()) {
    const std::pair<QAbstractButton*, QAction*> clickedTools[] = {{tools->GetBrushControl(), ui->actionBrush},
                                                                  {tools->GetWandControl(), ui->actionWand},
                                                                  {tools->GetEraseControl(), ui->actionClear},
                                                                  {tools->GetCloneControl(), ui->actionClone}};
    for (const auto& [button, action] : clickedTools) {
      connect(button, &QAbstractButton::clicked, action, &QAction::setChecked);
      connect(action, &QAction::triggered, button, &QAbstractButton::setChecked);
    }
    // The lasso button also turns on through the lasso pop-up, without a click.
    connect(tools->GetLassoControl(), &QAbstractButton::toggled, ui->actionLasso, &QAction::setChecked);
    connect(ui->actionLasso, &QAction::triggered, tools->GetLassoControl(), &QAbstractButton::setChecked);
  }

  SimpleEffectsWidget* effects = ui->simpleEffectsWidget;
  const std::pair<QAction*, QAbstractButton*> effectActions[] = {
      {ui->actionRotate, effects->GetRotateControl()},
      {ui->actionFlip_Horizontally, effects->GetHorizontalFlipControl()},
      {ui->actionFlip_Vertically, effects->GetVerticalFlipControl()},
      {ui->actionMagic_Enhance, effects->GetMagicEnhanceControl()},
      {ui->actionImage_Size, effects->GetResizeImageControl()},
      {ui->actionCrop, effects->GetCropImageControl()}};
  for (const auto& [action, control] : effectActions) {
    QAbstractButton* button = control;  // clang before 16 cannot capture a structured binding
    connect(action, &QAction::triggered, button, [button] { button->animateClick(); });
  }
  connect(effects, &SimpleEffectsWidget::effectCanceled, this, &MainWindow::OnEffectCanceled);
  connect(effects->GetCropImageControl(), &QAbstractButton::toggled, this, [this](bool checked) {
    if (!checked) return;
    if (QAction* tool = toolGroup_->checkedAction()) tool->setChecked(false);
  });

  // Statistics first, then the command.
  connect(ui->saveButton, &QAbstractButton::clicked, this, &MainWindow::SaveOverwrite);
  connect(ui->actionSave_as, &QAction::triggered, this, &MainWindow::BrowseToSaveFile);
}

void MainWindow::ConnectControlUse() {
  for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
    if (!MarkedAsInteraction(button)) connect(button, &QAbstractButton::clicked, this, &MainWindow::uiControlUsed);
  }
  for (QAction* action : findChildren<QAction*>()) {
    if (!MarkedAsInteraction(action)) connect(action, &QAction::triggered, this, &MainWindow::uiControlUsed);
  }
  for (QAbstractSlider* slider : findChildren<QAbstractSlider*>()) {
    if (!qobject_cast<QScrollBar*>(slider) && !MarkedAsInteraction(slider))
      connect(slider, &QAbstractSlider::sliderPressed, this, &MainWindow::uiControlUsed);
  }
  connect(this, &MainWindow::uiControlUsed, ui->workspaceWidget, &WorkspaceWidget::uiControlUsed);
}

QMenu* MainWindow::GetLocaleMenu() const { return ui->menuLanguage; }

void MainWindow::SetDocumentDialogs(std::unique_ptr<IDocumentDialogs> dialogs) { dialogs_ = std::move(dialogs); }

void MainWindow::SetSaveFilePanel(std::unique_ptr<ISaveFilePanel> panel) { savePanel_ = std::move(panel); }

void MainWindow::Debug() {
  if (!controller) return;
  try {
    controller->Debug();
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

// ---- Window events, title and placement ----

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::ShowToParent) {
    if (startMaximized) {
      startMaximized = false;
      showMaximized();
    }
    emit showToParent();
  } else if (event->type() == QEvent::WindowTitleChange) {
    UpdateWindowTitle();
  }
  return QMainWindow::event(event);
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::LanguageChange) return;
  ui->retranslateUi(this);
  // The form's retranslation resets Exit's shortcut to its own; the parser adds the quit keys back.
  Action::parse(ui->actionExit);
  UpdateWindowTitle();
  if (App::Application* application = App::Application::Instance()) {
    if (const App::CustomizationManagerPtr customization = application->GetCustomizationManager())
      customization->UpdateControls(window());
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (App::Application* application = App::Application::Instance()) {
    if (const App::CustomizationManagerPtr customization = application->GetCustomizationManager())
      customization->UpdateControls(window());
  }
}

void MainWindow::UpdateWindowTitle() {
  App::Application* application = App::Application::Instance();
  const App::CustomizationManagerPtr customization = application ? application->GetCustomizationManager() : nullptr;
  if (!customization) return;
  setWindowIcon(QIcon(customization->GetApplicationIcon()));
  const QString title = QString::fromStdString(customization->GetApplicationTitle());
  // Setting the title raises the title-change event that leads here again.
  if (title != windowTitle()) setWindowTitle(title);
}

void MainWindow::LoadSettings() {
  App::ISettingsManager& store = Store();
  const QByteArray geometry = FromBytes(store.GetBytes(Key(Settings::GEOMETRY), {}));
  if (geometry.isEmpty()) {
    adjustSize();
  } else {
    restoreGeometry(geometry);
    const QRect r = normalGeometry();
    // The X key holds the top edge and the Y key the left one; Width holds the height and Height
    // the width. SaveSettings writes them the same way.
    const int64_t top = store.GetInt64(Key(Settings::OFFSET_X), r.top());
    const int64_t left = store.GetInt64(Key(Settings::OFFSET_Y), r.left());
    const int64_t height = store.GetInt64(Key(Settings::WIDTH), r.height());
    const int64_t width = store.GetInt64(Key(Settings::HEIGHT), r.width());
    startMaximized = store.GetBool(Key(Settings::MAXIMIZED), isMaximized());
    if (width != 0 && height != 0) {
      // Checked before the narrowing to int: a damaged size must not become a huge window.
      if (Gui::LiesOnScreens(left, top, width, height)) {
        setGeometry(int(left), int(top), int(width), int(height));
      } else {
        LOG(WARNING) << "The stored window placement " << width << "x" << height << " at " << left << "," << top
                     << " does not fit on the screens; it is not used";
      }
    }
  }
  const QByteArray state = FromBytes(store.GetBytes(Key(Settings::STATE), {}));
  if (!state.isEmpty()) restoreState(state, 0);
}

void MainWindow::SaveSettings() const {
  if (controller) controller->SaveSession();
  App::ISettingsManager& store = Store();
  store.SetBytes(Key(Settings::GEOMETRY), ToBytes(saveGeometry()));
  store.SetBytes(Key(Settings::STATE), ToBytes(saveState(0)));
  const QRect r = normalGeometry();
  store.SetInt64(Key(Settings::OFFSET_X), r.top());
  store.SetInt64(Key(Settings::OFFSET_Y), r.left());
  store.SetInt64(Key(Settings::WIDTH), r.height());
  store.SetInt64(Key(Settings::HEIGHT), r.width());
  store.SetBool(Key(Settings::MAXIMIZED), isMaximized());
}

// ---- The document ----

bool MainWindow::SetWorkspaceController(const WorkspaceControllerPtr& newController) {
  if (!newController || !DiscardUnsavedChanges()) return false;
  controller = newController;

  ui->workspaceWidget->SetWorkspaceController(controller);
  ui->undoWidget->SetUndoEngine(controller->GetUndoEngine());
  ui->simpleEffectsWidget->SetPaintTools(QPointer<PaintTools>(controller->GetPaintTools()));

  controller->RegisterDrawerEventHandler(ui->undoWidget);
  controller->RegisterCoreEventHandler(this);
  controller->RegisterDrawerEventHandler(this);

  ui->actionSave_as->setEnabled(true);
  ui->actionPrint->setEnabled(true);
  ui->actionFile_information->setEnabled(true);
  ui->undoWidget->show();
  ui->simpleEffectsWidget->show();
  ui->menuSelection_tools->setEnabled(true);
  ui->menuTransformation->setEnabled(true);
  ui->actionMagic_Enhance->setEnabled(true);
  ui->actionImage_Size->setEnabled(true);
  return true;
}

void MainWindow::ReleaseWorkspaceController() {
  // The document goes before the window: its session is written now, or the next start has no
  // last session to restore.
  if (controller) {
    try {
      controller->SaveSession();
    } catch (const Zentor::Exception& e) {
      LOG(ERROR) << GetDescription(e);
    } catch (const std::exception& e) {
      LOG(ERROR) << e.what();
    } catch (...) {
      LOG(ERROR) << "Unknown error";
    }
  }
  ui->undoWidget->SetUndoEngine(nullptr);
  ui->workspaceWidget->ReleaseWorkspaceController();
  controller.reset();
}

bool MainWindow::DiscardUnsavedChanges() {
  if (!modified) return true;
  std::unique_ptr<App::AlertBox> box(MakeQuestion(
      this, tr("<b>Would you like to save changes?</b><br>All unsaved changes will be lost.")));
  QPushButton* save = box->addButton(tr("Save"), QMessageBox::NoRole);
  box->addButton(tr("Cancel"), QMessageBox::NoRole);
  QPushButton* discard = box->addButton(tr("Don't Save"), QMessageBox::NoRole);
  AddEscapeButton(*box);

  bool result = false;
  connect(save, &QAbstractButton::clicked, this, [this, &result] {
    saveRequested_ = false;
    ui->saveButton->click();
    // The engine reports the saved state and its failures through the forwarders.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Only a save that was made and succeeded lets the document go.
    result = saveRequested_ && !modified;
  });
  connect(discard, &QAbstractButton::clicked, this, [&result] { result = true; });
  box->exec();
  return result;
}

void MainWindow::ShowOpenError(const QString& path, const boost::exception_ptr& cause) {
  const QString name = QFileInfo(path).fileName().toHtmlEscaped();
  const QString reason = OpenFailureCause(cause);
  const QString text =
      reason.isEmpty()
          ? tr("<b>Could not open the file '%1'.</b><br>The image is corrupted or in an unsupported file format.").arg(name)
          : tr("<b>Could not open the file '%1'.</b><br>%2").arg(name, reason);
  App::AlertBox::exec(App::AlertBox::LEVEL_DEFAULT, QString(), text, QMessageBox::Ok, this);
}

void MainWindow::ShowSessionNotRestored() {
  App::AlertBox::exec(App::AlertBox::LEVEL_DEFAULT, QString(),
                      tr("The last session could not be restored; the picture was opened as saved."), QMessageBox::Ok,
                      this);
}

void MainWindow::HandleEventChangeToSaveInternal(bool changed) {
  modified = changed;
  emit saveEnabled(changed);
}

void MainWindow::OnScaleEnabled(IScalableView::ScalePolicyFlags flags) {
  ui->actionZoom_in->setEnabled(flags.testFlag(IScalableView::SCALE_UP));
  ui->actionZoom_out->setEnabled(flags.testFlag(IScalableView::SCALE_DOWN));
  ui->actionActual_size->setEnabled(flags != IScalableView::ScalePolicyFlags());
  ui->actionFit_to_screen->setEnabled(flags != IScalableView::ScalePolicyFlags());
}

void MainWindow::BrowseToOpenFile() {
  const QString filter = ExtensionFormatHelper::GetExtFilterForOpenDialog({Conf::IFormatFile::GROUP_ALL_IMAGES});
  QString selected = ExtensionFormatHelper::GetExtFilterForGroup(Conf::IFormatFile::GROUP_ALL_IMAGES);
  const QString folder = QString::fromStdString(
      Store().GetString(Settings::Name(Settings::OPEN, Settings::PATH), PicturesFolder().toStdString()));
  const QString path = dialogs_->GetOpenFileName(this, tr("Open File"), folder, filter, &selected,
                                                 QFileDialog::HideNameFilterDetails);
  LOG(INFO) << "Open file: " << path.toStdString();
  if (!path.isEmpty()) emit openFile(path);
}

QString MainWindow::BrowseToSaveFilePlatformImpl(const QString& caption, const QString& label, const QString& button) {
  const QString current = controller->GetFileName();
  Core::Property options(Settings::FORMAT_SAVE_SETTINGS);
  const Core::Property info = controller->GetFrameInfo();
  if (info.ChildExists(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS)) {
    const Core::Property& passThrough = info[IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS];
    if (passThrough.ChildExists(Settings::FORMAT_SAVE_SETTINGS)) options = passThrough[Settings::FORMAT_SAVE_SETTINGS];
  }
  const QString path = savePanel_->Browse(caption, label, button, current, options, this);
  // The options dialogs already stored what they changed, so the options count even after Cancel.
  controller->SetSaveReplaceSettings(options);
  return path;
}

void MainWindow::BrowseToSaveFile() {
  if (!controller) return;
  try {
    const QString path = BrowseToSaveFilePlatformImpl(tr("Save File"), tr("File Types:"), tr("Options"));
    LOG(INFO) << "Save file: " << path.toStdString();
    if (path.isEmpty()) return;
    saveRequested_ = true;
    controller->Save(path);
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void MainWindow::SaveOverwrite() {
  if (!controller) return;
  std::unique_ptr<App::AlertBox> box(MakeQuestion(this, tr("Overwrite existing file?")));
  box->SetWidth(320);
  box->addButton(tr("No"), QMessageBox::NoRole);
  QPushButton* yes = box->addButton(tr("Yes"), QMessageBox::NoRole);
  QPushButton* saveAs = box->addButton(tr("Save As..."), QMessageBox::NoRole);
  AddEscapeButton(*box);

  bool saveAsDue = false;
  connect(yes, &QAbstractButton::clicked, this, [this, &saveAsDue] {
    try {
      // False when the current file's format cannot be written.
      if (controller->SaveOverwrite()) {
        saveRequested_ = true;
      } else {
        saveAsDue = true;
      }
    } catch (...) {
      ErrorPath::ReportCurrent();
    }
  });
  connect(saveAs, &QAbstractButton::clicked, this, [&saveAsDue] { saveAsDue = true; });
  box->exec();
  box.reset();
  if (saveAsDue) BrowseToSaveFile();
}

void MainWindow::BrowseToOpenSelection() {
  if (!controller) return;
  try {
    const QString filter = ExtensionFormatHelper::GetExtFilterForExtension(ExtensionFormatHelper::SELECTION_EXTENTION, false);
    QString selected = filter;
    const std::string key = Settings::Name(Settings::OPEN_MASK, Settings::PATH);
    const QString folder = QString::fromStdString(Store().GetString(key, PicturesFolder().toStdString()));
    const QString path = dialogs_->GetOpenFileName(this, tr("Open File"), folder, filter, &selected,
                                                   QFileDialog::HideNameFilterDetails);
    if (path.isEmpty()) return;
    Store().SetString(key, QFileInfo(path).absolutePath().toStdString());
    controller->LoadSelection(path.toStdString());
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void MainWindow::BrowseToSaveSelection() {
  if (!controller) return;
  try {
    const QFileInfo image(controller->GetFileName());
    const QString filter = ExtensionFormatHelper::GetExtFilterForExtension(ExtensionFormatHelper::SELECTION_EXTENTION, true);
    QString selected = filter;
    const std::string key = Settings::Name(Settings::SAVE_MASK, Settings::PATH);
    const QString folder = QString::fromStdString(Store().GetString(key, image.absolutePath().toStdString()));
    const QString proposal = folder + QDir::separator() + image.completeBaseName();
    QString path = dialogs_->GetSaveFileName(this, tr("Save File"), proposal, filter, &selected, QFileDialog::Options());
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QLatin1Char('.') + QString::fromStdString(ExtensionFormatHelper::SELECTION_EXTENTION);
    Store().SetString(key, QFileInfo(path).absolutePath().toStdString());
    controller->SaveSelection(path.toStdString());
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void MainWindow::OnPrintClicked() {
  if (!controller) return;
  try {
    QPrinter printer(QPrinter::ScreenResolution);
    const QString name = QFileInfo(controller->GetFileName()).completeBaseName();
    printer.setDocName(name);
    // Without a printer the dialog offers only a file; it starts with a name of its own.
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
      const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
      printer.setOutputFileName(QDir(folder).filePath((name.isEmpty() ? QStringLiteral("Glimra") : name) + ".pdf"));
    }
    if (!dialogs_->ExecPrintDialog(printer, this)) return;
    if (!PicturePrinter::Print(controller->GetFrame(), printer)) {
      App::AlertBox::exec(App::AlertBox::LEVEL_DEFAULT, QString(), tr("The picture could not be printed."),
                          QMessageBox::Ok, this);
    }
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

bool MainWindow::OnQuit() {
  if (quitApproved_) return true;
  if (!DiscardUnsavedChanges()) return false;
  quitApproved_ = true;
  QApplication::closeAllWindows();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (OnQuit()) {
    QMainWindow::closeEvent(event);
  } else {
    event->ignore();
  }
}

void MainWindow::OnAbout() {
  App::Application* application = App::Application::Instance();
  const QString name = application ? application->GetFullApplicationName() : QApplication::applicationName();
  const QString link = application ? QString::fromStdString(application->GetUrl(App::ILinksManager::URL_HOMEPAGE,
                                                                                App::ILinksManager::URL_SRC_MENUABOUT))
                                   : QString();
  App::AboutBoxDialog::ShowAbout(name, link, this);
}

// ---- Usage events ----

void MainWindow::TrackEvent(const std::string& name) {
  try {
    PerformForEachEventHandler(&IStatisticsEventHandler::TrackEventString, name,
                               IStatisticsEventHandler::StringParameters());
  } catch (...) {
    ErrorPath::ReportCurrent();
  }
}

void MainWindow::OnSaveClicked() { TrackEvent(IStatisticsEventHandler::NAME_SAVE_CLICK); }

void MainWindow::OnEffectCanceled(const std::string& name) {
  std::string event = name + IStatisticsEventHandler::SUFFIX_CANCEL;
  event.erase(std::remove(event.begin(), event.end(), '$'), event.end());
  TrackEvent(event);
}

// ---- Engine failures ----

void MainWindow::ThrowInternal(boost::exception_ptr error) {
  if (!error) return;
  try {
    const Failure failure = Classify(error);
    LOG(ERROR) << failure.log << "\n" << boost::diagnostic_information(error);
    if (failure.key.empty()) return;
    const std::string text = Core::GetLocalizationManagerForDomain("core")->Translate(failure.key);
    App::AlertBox box(failure.level, QString(), QString::fromStdString(text), QMessageBox::Ok, this);
    if (failure.level != App::AlertBox::LEVEL_DEFAULT) box.setIconPixmap(QPixmap(QString::fromLatin1(SCREAMER_IMAGE)));
    box.exec();
  } catch (...) {
    LOG(ERROR) << "Reporting a failure failed: " << boost::current_exception_diagnostic_information();
  }
}

}  // namespace Glimra
}  // namespace Zentor
