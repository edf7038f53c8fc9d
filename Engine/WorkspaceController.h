// One opened image: the engine, the scene that shows it, the paint tools, the session folder
// with its thumbnail, and the open, save and usage events of the image.
#pragma once

#include "Core/Interfaces/EventHandlerList.h"
#include "Engine/IWorkspaceController.h"

#include <QCoreApplication>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace Zentor {
namespace App {
class SessionFolderLock;
}

namespace Glimra {

class WorkspaceScene;

// GUI thread only.
class WorkspaceController : public RefCounted<IWorkspaceController>,
                            public Core::EventHandlerList<IStatisticsEventHandler> {
 public:
  using EngineFactory = std::function<GlimraCorePtr(const IGlimraCore::Initializer&)>;
  using Pointer = boost::intrusive_ptr<WorkspaceController>;

  // Opens path (UTF-8) in a new engine, or restores the session sessionId when it is given. A
  // new session removes the earlier sessions that no live process holds; the one the caller
  // still shows is held, so the caller calls ClearEarlierSessions once it dropped that one. A
  // failure of the engine is reported as "FILE_OPEN_ERROR" and rethrown as it was. Create
  // changes no setting: the caller names the new document as the last session once it took it
  // over (RememberAsLastSession). An empty factory means the real engine.
  static Pointer Create(IStatisticsEventHandler* handler, const std::string& path, std::string sessionId,
                        const EngineFactory& factory = EngineFactory());

  // The engine's part of the open of path in a new session, under way on a thread of its own;
  // the handler must outlive it. Going unused it waits for that thread and lets the folder go.
  class PendingOpen {
   public:
    ~PendingOpen();
    PendingOpen(const PendingOpen&) = delete;
    PendingOpen& operator=(const PendingOpen&) = delete;
    const std::string& Path() const { return path_; }

   private:
    friend class WorkspaceController;
    PendingOpen() = default;
    // The engine and its output format, or the failure; on whichever thread runs it.
    void Load();

    std::string path_;
    std::string sessionId_;
    bool newSession_ = true;
    QString folder_;
    std::unique_ptr<App::SessionFolderLock> lock_;
    IGlimraCore::Initializer init_;
    EngineFactory factory_;
    Core::Property outputColorSpace_;
    GlimraCorePtr engine_;
    std::exception_ptr failure_;
    bool loaded_ = false;
    std::thread thread_;
  };
  // Begins the open of path in a new session at once, beside what the caller does meanwhile
  // (the decode is the longest step of an open); Create with it finishes the open.
  static std::unique_ptr<PendingOpen> BeginOpen(IStatisticsEventHandler* handler, const std::string& path,
                                                const EngineFactory& factory = EngineFactory());
  // Waits for the pending open and finishes it as the other Create does, failures alike; handler
  // is the one BeginOpen had.
  static Pointer Create(IStatisticsEventHandler* handler, std::unique_ptr<PendingOpen> open);
  static void ClearEarlierSessions();
  // A fresh temporary base name (no folder, no suffix), for the engine's swap files.
  static std::string GetTemporaryName();
  static void SendCreateErrorStat(IStatisticsEventHandler* handler, const std::string& extension,
                                  const std::string& error);

  // folder: the session folder. Without a lock the controller locks the folder itself; either way
  // the folder stays locked while the controller lives.
  WorkspaceController(IStatisticsEventHandler* handler, const GlimraCorePtr& engine, const QString& folder,
                      std::unique_ptr<App::SessionFolderLock> lock = nullptr);
  ~WorkspaceController() override;

  // Stores the opened file, its folder and the session id as the last session ("OpenFile",
  // "OpenPath", "SessionID"); only for a controller made by Create.
  void RememberAsLastSession() const;

  QGraphicsScene* GetScene() const override;
  PaintTools* GetPaintTools() const override { return paintTools_; }
  IGlimraUndoBase* GetUndoEngine() const override { return engine_.get(); }
  void RegisterCoreEventHandler(ICoreEventHandler* handler) override;
  void RegisterDrawerEventHandler(IDrawerEventHandler* handler) override;
  QString GetFileName() const override;
  bool SaveOverwrite() override;
  void Save(const QString& path) override;
  void SaveSession() override;
  void SetProgressController(const Core::ProgressControllerPtr& controller) override;
  void LoadSelection(const std::string& path) override;
  void SaveSelection(const std::string& path) const override;
  QImage GetFrame() const override;
  Core::Property GetFrameInfo() const override;
  QImage GetSnapshot() const override;
  Core::Property GetFileInfo() const override;
  void SetSaveReplaceSettings(const Core::Property& settings) override { saveReplaceSettings_ = settings; }
  void Debug() override;
  bool IsSessionRestored() const override { return engine_->IsSessionRestored(); }

  static const QString UNKNOWN_ERROR;

 private:
  class SaveWatch;

  // An open's steps before the engine, on the calling thread.
  static std::unique_ptr<PendingOpen> Prepare(IStatisticsEventHandler* handler, const std::string& path,
                                              std::string sessionId, const EngineFactory& factory);

  void WritePreview() const;

  // Released last: the engine finishes with the folder while it is still held.
  std::unique_ptr<App::SessionFolderLock> lock_;
  GlimraCorePtr engine_;
  QString previewPath_;
  WorkspaceScene* scene_;
  PaintTools* paintTools_;
  Core::Property saveReplaceSettings_;
  // Tells a save the engine made from one it refused.
  std::unique_ptr<SaveWatch> saveWatch_;
  QString file_;
  std::string sessionId_;
};

}  // namespace Glimra
}  // namespace Zentor
