#include "Engine/WorkspaceController.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "Customization/ExtensionFormatHelper.h"
#include "Customization/SettingsName.h"
#include "Engine/BusyCursor.h"
#include "Engine/ColorspaceConverter.h"
#include "Engine/PaintTools.h"
#include "Platform/AppShell/Application.h"
#include "Platform/AppShell/RegularFile.h"
#include "Platform/AppShell/SessionFolderLock.h"
#include "Platform/Bedrock/TempName.h"
#include "Workspace/WorkspaceScene.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <boost/exception/diagnostic_information.hpp>
#include <boost/exception/get_error_info.hpp>
#include <glog/logging.h>

#include <atomic>
#include <cmath>
#include <sstream>
#include <system_error>
#include <thread>

namespace Zentor {
namespace Glimra {

const char* const IWorkspaceController::PREVIEW_NAME = "preview.png";

IWorkspaceController::~IWorkspaceController() = default;

const QString WorkspaceController::UNKNOWN_ERROR = QCoreApplication::translate("QObject", "Unknown error");

namespace {

constexpr int PREVIEW_SIZE = 60;

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The text of the exception being handled, as the open-error event carries it.
std::string CurrentErrorText() {
  try {
    throw;
  } catch (const Zentor::Exception& e) {
    if (const std::string* description = boost::get_error_info<TagDescription>(e)) return *description;
    return boost::diagnostic_information(e);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return boost::current_exception_diagnostic_information();
  }
}

void PrintTree(const Core::Property& node, int depth, std::ostream& out) {
  out << std::string(size_t(depth) * 2, ' ') << node.GetName();
  const std::string value = Core::PropertyValueToString(node);
  if (!value.empty()) out << ": " << value;
  out << "\n";
  for (const Core::Property& child : node) PrintTree(child, depth + 1, out);
}

}  // namespace

// The engine reports a save it refused or that failed only to its core handlers; a save it made
// ends with the saved state, raised on the saving thread before Save returns.
class WorkspaceController::SaveWatch : public IDrawerEventHandler {
 public:
  void Begin() {
    saved_ = false;
    thread_ = std::this_thread::get_id();
    watching_ = true;
  }
  // Whether the engine made the save since Begin.
  bool End() {
    watching_ = false;
    return saved_;
  }

  void HandleEvent() override {}
  // Effect runs raise their events on threads of their own; only the saving thread's count.
  void HandleEventChangeToSave(bool changed) override {
    if (!changed && watching_ && thread_.load() == std::this_thread::get_id()) saved_ = true;
  }

 private:
  std::atomic<bool> watching_{false};
  std::atomic<bool> saved_{false};
  std::atomic<std::thread::id> thread_{};
};

WorkspaceController::Pointer WorkspaceController::Create(IStatisticsEventHandler* handler, const std::string& path,
                                                   std::string sessionId, const EngineFactory& factory) {
  return Create(handler, Prepare(handler, path, std::move(sessionId), factory));
}

std::unique_ptr<WorkspaceController::PendingOpen> WorkspaceController::Prepare(IStatisticsEventHandler* handler,
                                                                            const std::string& path,
                                                                            std::string sessionId,
                                                                            const EngineFactory& factory) {
  std::unique_ptr<PendingOpen> open(new PendingOpen);
  const QString sessions = App::Application::GetApplicationTemporaryFilesDir();
  open->newSession_ = sessionId.empty();
  if (open->newSession_) sessionId = BaseName(Core::GenerateTempFileName(sessions.toStdString()));

  // Locked from before the engine writes to it until the controller goes.
  open->folder_ = sessions + QString::fromStdString(sessionId) + QLatin1Char('/');
  open->lock_ = std::make_unique<App::SessionFolderLock>(open->folder_);
  LOG(INFO) << "Temporary folder:" << QDir(open->folder_).absolutePath().toStdString();

  open->path_ = path;
  open->sessionId_ = sessionId;
  IGlimraCore::Initializer& init = open->init_;
  init.version = QCoreApplication::applicationVersion().toStdString();
  init.sessionId = sessionId;
  init.filePath = path;
  init.tempFolder = open->folder_.toStdString();
  init.tempNameGenerator = &WorkspaceController::GetTemporaryName;
  init.statisticsHandler = handler;
  open->factory_ = factory;
  open->outputColorSpace_ = ColorspaceConverter::GetSupportedColorspaceSettings();
  return open;
}

void WorkspaceController::PendingOpen::Load() {
  try {
    engine_ = factory_ ? factory_(init_) : IGlimraCore::Create(init_);
    if (engine_) engine_->SetOutputColorSpace(outputColorSpace_);
  } catch (...) {
    engine_.reset();
    failure_ = std::current_exception();
  }
  loaded_ = true;
}

WorkspaceController::PendingOpen::~PendingOpen() {
  if (thread_.joinable()) thread_.join();
}

std::unique_ptr<WorkspaceController::PendingOpen> WorkspaceController::BeginOpen(IStatisticsEventHandler* handler,
                                                                              const std::string& path,
                                                                              const EngineFactory& factory) {
  std::unique_ptr<PendingOpen> open = Prepare(handler, path, std::string(), factory);
  try {
    open->thread_ = std::thread([pending = open.get()] { pending->Load(); });
  } catch (const std::system_error& e) {
    LOG(WARNING) << "The picture loads when its open is asked for: " << e.what();
  }
  return open;
}

WorkspaceController::Pointer WorkspaceController::Create(IStatisticsEventHandler* handler,
                                                   std::unique_ptr<PendingOpen> open) {
  BusyCursor busy;
  LOG(INFO) << "Finishing the open";
  if (open->thread_.joinable()) open->thread_.join();
  if (!open->loaded_) open->Load();
  const QFileInfo file(QString::fromStdString(open->path_));
  const std::string extension = file.suffix().toStdString();

  GlimraCorePtr engine = std::move(open->engine_);
  try {
    if (open->failure_) std::rethrow_exception(open->failure_);
    if (!engine) ZENTOR_THROW_DESC(Zentor::Exception, "No engine was created.");

    const Conf::FormatCodecVideoPtr& codec = engine->GetFormatCodec();
    if (!codec) ZENTOR_THROW_DESC(Zentor::Exception, "The image has no format description.");
    const Core::Property description = codec->GetSettings();
    const uint32_t width = uint32_t(Core::GetValue<long long>(description[Conf::IFormatCodecVideo::TAG_WIDTH]));
    const uint32_t height = uint32_t(Core::GetValue<long long>(description[Conf::IFormatCodecVideo::TAG_HEIGHT]));
    const std::string codecId = Core::PropertyValueToString(description[Conf::IFormatCodec::TAG_CODEC_ID]);
    if (handler) {
      handler->TrackEventString(
          IStatisticsEventHandler::NAME_FILE_ADDED,
          {{IStatisticsEventHandler::KEY_FILE_EXTENSION, extension},
           {IStatisticsEventHandler::KEY_FILE_FORMAT, ExtensionFormatHelper::GetDecoderName(codecId, extension)},
           {IStatisticsEventHandler::KEY_WIDTH_HEIGHT, std::to_string(width) + "X" + std::to_string(height)}});
    }
  } catch (...) {
    SendCreateErrorStat(handler, extension, CurrentErrorText());
    throw;
  }

  Pointer controller(
      new WorkspaceController(handler, engine, QDir(open->folder_).absolutePath(), std::move(open->lock_)));
  controller->file_ = file.absoluteFilePath();
  controller->sessionId_ = open->sessionId_;
  if (open->newSession_) ClearEarlierSessions();
  return controller;
}

void WorkspaceController::RememberAsLastSession() const {
  const QFileInfo file(file_);
  App::AppSettings().SetStrings({{Settings::Name(Settings::OPEN, Settings::PATH), file.absolutePath().toStdString()},
                                 {Settings::Name(Settings::OPEN, Settings::FILE), file.absoluteFilePath().toStdString()},
                                 {Settings::Name(Settings::SESSION, Settings::ID), sessionId_}});
}

void WorkspaceController::ClearEarlierSessions() { App::Application::ClearApplicationTemporaryFiles(2); }

std::string WorkspaceController::GetTemporaryName() {
  return BaseName(Core::GenerateTempFileName(App::Application::GetApplicationTemporaryFilesDir().toStdString()));
}

void WorkspaceController::SendCreateErrorStat(IStatisticsEventHandler* handler, const std::string& extension,
                                              const std::string& error) {
  if (!handler) return;
  handler->TrackEventString(
      IStatisticsEventHandler::NAME_FILE_OPEN_ERROR,
      {{IStatisticsEventHandler::KEY_ERROR, error}, {IStatisticsEventHandler::KEY_FILE_EXTENSION, extension}});
}

WorkspaceController::WorkspaceController(IStatisticsEventHandler* handler, const GlimraCorePtr& engine,
                                         const QString& folder, std::unique_ptr<App::SessionFolderLock> lock)
    : lock_(lock ? std::move(lock) : std::make_unique<App::SessionFolderLock>(folder)),
      engine_(engine),
      previewPath_(folder + QDir::separator() + QLatin1String(PREVIEW_NAME)),
      scene_(new WorkspaceScene(*engine_)),
      paintTools_(new PaintTools(*engine_)),
      saveReplaceSettings_(Settings::FORMAT_SAVE_SETTINGS),
      saveWatch_(std::make_unique<SaveWatch>()) {
  const Core::Property& frameInfo = engine_->GetSettings();
  if (frameInfo.ChildExists(IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS)) {
    const Core::Property& passThrough = frameInfo[IGlimraDrawer::TAG_PASS_THROUGH_SETTINGS];
    if (passThrough.ChildExists(Settings::FORMAT_SAVE_SETTINGS)) {
      saveReplaceSettings_ = passThrough[Settings::FORMAT_SAVE_SETTINGS];
    }
  }
  engine_->RegisterDrawerEventHandler(scene_);
  engine_->RegisterDrawerEventHandler(saveWatch_.get());
  if (handler) RegisterEventHandler(handler);
  WritePreview();
}

WorkspaceController::~WorkspaceController() {
  try {
    WritePreview();
    std::ostringstream statistic;
    PrintTree(engine_->GetStatistic(), 0, statistic);
    LOG(INFO) << statistic.str();
  } catch (...) {
    LOG(ERROR) << "Closing the image: " << boost::current_exception_diagnostic_information();
  }
  saveReplaceSettings_ = Core::Property();
  // The engine may still raise drawer events while it goes; they must not reach a deleted scene.
  engine_.reset();
  delete paintTools_;
  delete scene_;
}

QGraphicsScene* WorkspaceController::GetScene() const { return scene_; }

void WorkspaceController::RegisterCoreEventHandler(ICoreEventHandler* handler) {
  engine_->RegisterCoreEventHandler(handler);
}

void WorkspaceController::RegisterDrawerEventHandler(IDrawerEventHandler* handler) {
  engine_->RegisterDrawerEventHandler(handler);
}

QString WorkspaceController::GetFileName() const {
  const Core::Property settings = engine_->GetDefaultSaveSettings();
  if (!settings.ChildExists(Conf::IFormatFile::TAG_FILENAME)) return QString();
  return QString::fromStdString(Core::PropertyValueToString(settings[Conf::IFormatFile::TAG_FILENAME]));
}

bool WorkspaceController::SaveOverwrite() {
  const QString name = GetFileName();
  if (ExtensionFormatHelper::GetCodecForExtension(QFileInfo(name).suffix().toStdString(), true).empty()) return false;
  Save(name);
  return true;
}

void WorkspaceController::Save(const QString& path) {
  BusyCursor busy;
  Core::Property settings = engine_->GetDefaultSaveSettings();
  settings.SetChildT(Conf::IFormatFile::TAG_FILENAME, path.toStdString());
  const std::string extension = QFileInfo(path).suffix().toStdString();
  const std::string codec = ExtensionFormatHelper::GetCodecForExtension(extension, true);
  ExtensionFormatHelper::SetSaveSettings(extension, settings, saveReplaceSettings_);
  saveWatch_->Begin();
  engine_->Save(settings);
  // A refused save is neither counted nor remembered; the engine reports it on its own.
  if (!saveWatch_->End()) return;
  App::ISettingsManager& store = App::AppSettings();
  store.SetString(Settings::Name(Settings::SAVE, Settings::PATH), QFileInfo(path).dir().path().toStdString());

  std::string inputCodec;
  if (const Conf::FormatCodecVideoPtr& format = engine_->GetFormatCodec()) {
    const Core::Property description = format->GetSettings();
    if (description.ChildExists(Conf::IFormatCodec::TAG_CODEC_ID)) {
      inputCodec = Core::PropertyValueToString(description[Conf::IFormatCodec::TAG_CODEC_ID]);
    }
  }
  const std::string openFile = store.GetString(Settings::Name(Settings::OPEN, Settings::FILE), std::string());
  const std::string openExtension = QFileInfo(QString::fromStdString(openFile)).suffix().toStdString();
  IStatisticsEventHandler::StringParameters parameters{
      {IStatisticsEventHandler::KEY_INPUT_FORMAT, ExtensionFormatHelper::GetDecoderName(inputCodec, openExtension)},
      {IStatisticsEventHandler::KEY_OUTPUT_FORMAT, ExtensionFormatHelper::GetEncoderName(codec, extension)}};
  // flat_map's insert keeps a name's first value.
  for (const Core::Property& option : ExtensionFormatHelper::FilterSaveOptions(codec, saveReplaceSettings_)) {
    parameters.emplace(option.GetName(), Core::PropertyValueToString(option));
  }
  PerformForEachEventHandler(&IStatisticsEventHandler::TrackEventString, IStatisticsEventHandler::NAME_SAVE,
                             parameters);
}

void WorkspaceController::SaveSession() { engine_->SaveSession(); }

void WorkspaceController::SetProgressController(const Core::ProgressControllerPtr& controller) {
  engine_->SetProgressController(controller);
}

void WorkspaceController::LoadSelection(const std::string& path) { engine_->LoadMask(path); }

void WorkspaceController::SaveSelection(const std::string& path) const { engine_->SaveMask(path); }

QImage WorkspaceController::GetFrame() const {
  // The engine's frame may go as soon as this returns, so the image gets pixels of its own.
  const Proc::DataVideoPtr frame = engine_->GetVideo();
  return ColorspaceConverter::FrameToImage(frame).copy();
}

Core::Property WorkspaceController::GetFrameInfo() const { return engine_->GetSettings(); }

QImage WorkspaceController::GetSnapshot() const {
  const QRectF area = scene_->sceneRect();
  QImage snapshot(int(std::lround(area.width())), int(std::lround(area.height())), QImage::Format_ARGB32);
  if (snapshot.isNull()) return snapshot;
  snapshot.fill(Qt::transparent);
  QPainter painter(&snapshot);
  scene_->render(&painter, QRectF(), QRectF(), Qt::KeepAspectRatio);
  return snapshot;
}

Core::Property WorkspaceController::GetFileInfo() const { return engine_->GetMetadata(); }

void WorkspaceController::Debug() { engine_->Debug(); }

// Rendered straight at the thumbnail's size, nearest pixel, rather than through a snapshot of the
// whole picture: the same picture without a full-size copy of a large photo.
void WorkspaceController::WritePreview() const {
  const QRectF area = scene_->sceneRect();
  const QSize full(int(std::lround(area.width())), int(std::lround(area.height())));
  if (full.isEmpty()) return;
  QSize size = full.scaled(PREVIEW_SIZE, PREVIEW_SIZE, Qt::KeepAspectRatio);
  size = size.expandedTo(QSize(1, 1));
  QImage preview(size, QImage::Format_ARGB32);
  preview.fill(Qt::transparent);
  {
    QPainter painter(&preview);
    scene_->render(&painter, QRectF(), QRectF(), Qt::KeepAspectRatio);
  }
  // Replaced whole, never rewritten in place: a copy starting meanwhile reads the old or the new.
  QBuffer encoded;
  encoded.open(QIODevice::WriteOnly);
  std::string error;
  if (!preview.save(&encoded, "PNG")) {
    LOG(WARNING) << "Cannot write the preview: " << previewPath_.toStdString();
  } else if (!App::WriteFileAtomically(previewPath_, encoded.data(), error)) {
    LOG(WARNING) << "Cannot write the preview: " << error;
  }
}

}  // namespace Glimra
}  // namespace Zentor
