// The engine object behind IGlimraCore: one per opened image.
//
// The operations live in several sources: GlimraCore.cpp (creation, small accessors, registration,
// the progress side), GlimraCoreIO.cpp (image loading and the session), GlimraCorePaint.cpp
// (painting, masks, selection resize), GlimraCoreEffects.cpp (effect runs), GlimraCoreSave.cpp
// (saving images), GlimraCoreMask.cpp (mask files).
#pragma once

#include "Core/Interfaces/EventHandlerList.h"
#include "Core/Interfaces/IProgressController.h"
#include "GlimraCore/Export.h"
#include "GlimraCore/GlimraBrush.h"
#include "GlimraCore/Helpers/FramePrepare.h"
#include "GlimraCore/IGlimraCore.h"
#include "GlimraCore/IGlimraPainter.h"
#include "GlimraCore/IGlimraUndo.h"
#include "Platform/Bedrock/Statistics.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/IAlphaInserter.h"
#include "Proc/Interfaces/IBlend.h"
#include "Proc/Interfaces/IColorSpaceConverter.h"
#include "Proc/Interfaces/IExtraAlphaExtractor.h"
#include "Proc/Interfaces/IStream.h"

#include <boost/core/noncopyable.hpp>
#include <boost/thread/future.hpp>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Zentor {
namespace Glimra {

using CoreHandlerList = Core::EventHandlerList<ICoreEventHandler, Core::SyncExecutePolicy>;
using DrawerHandlerList = Core::EventHandlerList<IDrawerEventHandler, Core::SyncExecutePolicy>;
using StatisticsHandlerList = Core::EventHandlerList<IStatisticsEventHandler, Core::SyncExecutePolicy>;

class GLIMRA_CORE_API GlimraCore : public virtual IGlimraCore,
                                   public virtual Core::IProgressController,
                                   public virtual CoreHandlerList,
                                   public virtual DrawerHandlerList,
                                   public virtual StatisticsHandlerList,
                                   public virtual Core::IProgressControllerClient,
                                   private boost::noncopyable {
 public:
  // Largest side of the thumbnail written on save.
  static constexpr uint32_t MAX_THUMBNAIL_SIZE = 160;
  // Colour of the selection laid over the picture by GetVideo.
  static constexpr uint32_t SELECTION_COLOR = 0x2EFF12;
  // A picture whose sides are both below this is also offered to the image read effect.
  static constexpr uint32_t SMALL_PICTURE_SIDE = 256;
  // Description of the refusal of an operation during an effect run.
  static constexpr const char* EFFECT_RUNNING = "An effect is running";

  explicit GlimraCore(const Initializer& initializer);
  ~GlimraCore() override;

  // IRefCountable
  long AddRef() const override { return counter_.AddRef(); }
  long GetRefCount() const override { return counter_.Get(); }
  long Release() const override;

  // IGlimraCore
  void SetOutputColorSpace(const Core::Property& settings) override;
  const Core::Property& GetMetadata() const override;
  Proc::DataVideoPtr GetThumbnail() const override;
  void SetProgressController(const Core::ProgressControllerPtr& controller) override;
  Core::Property GetStatistic() const override;
  void LoadMask(const Core::ioPath& path) override;
  void SetMask(Proc::DataVideoPtr& mask) override;
  void RegisterCoreEventHandler(ICoreEventHandler* handler) override;
  void RegisterDrawerEventHandler(IDrawerEventHandler* handler) override;
  Core::Property GetDefaultSaveSettings() const override;
  void Save(const Core::Property& settings) override;
  void SaveSession() override;
  void SaveMask(const Core::ioPath& path) override;
  const Conf::FormatCodecVideoPtr& GetFormatCodec() const override { return formatCodec; }
  void Debug() override;
  bool IsSessionRestored() const override { return sessionRestored; }

  // IGlimraDrawer
  void SetBrush(const Core::Property& settings) override;
  void SetBrush(const Proc::DataVideoPtr& stamp) override;
  void PaintInit(const Core::Property& settings) override;
  PaintPatch PaintStart(VSize x, VSize y) override;
  PaintPatch Paint(VSize x, VSize y) override;
  void PaintStop(VSize x, VSize y) override;
  bool HasPaintedArea() const override;
  void PaintReset() override;
  void ApplyEffect(const Core::Property& settings, bool wait) override;
  bool HasChange() const override;
  void ResizePaintedArea(int direction) override;
  const Core::Property& GetBrushSettings() const override { return brushSettings; }
  const Core::Property& GetPaintSettings() const override { return paintSettings; }
  Proc::DataVideoPtr GetVideo() override;
  VideoParts GetVideoParts() override;
  const Core::Property& GetSettings() const override;

  // IGlimraUndoBase
  bool IsUndoEnabled() const override;
  bool IsRedoEnabled() const override;
  void Undo() override;
  void Redo() override;
  void Reset() override;

  // IProgressController: the engine is the controller of the effects it runs.
  void Notify(NotifyEvent event) override;
  void SetMaximum(int maximum) override;
  void SetProgress(int progress) override;
  void IncProgress(int step) override;
  bool CheckForStop() const override;
  void SetClient(Core::IProgressControllerClient* client) override;

  // IProgressControllerClient: the outer controller's cancel.
  void Stop(bool stop) override;

  // The file's first video stream; DecoderException "Cannot find raw video stream" when none.
  static Proc::StreamRawPtr GetStreamRaw(const std::string& path);

  // The undo store (tests and the later operations).
  const GlimraUndoPtr& GetUndoStore() const { return undoStore; }

  // Saving (GlimraCoreSave.cpp). The encoded file bytes of a frame: the codec framework's encoder
  // first, the image write effect second; IOException when neither can encode it.
  BlobPtr Save(const Proc::DataVideoPtr& frame, const Core::Property& settings) const;
  // The codec description an encoder is made from: the codec's preset, the fixed stream options,
  // the options of the save settings and the picture's print resolution.
  Conf::FormatCodecVideoPtr GetEncodingSettings(const Core::Property& settings) const;
  Conf::FormatCodecVideoPtr GetEncodingSettingsCreateFormatCodec(const Core::Property& settings) const;
  void GetEncodingSettingsSetCommon(const Conf::FormatCodecVideoPtr& codec, const Core::Property& settings) const;
  void GetEncodingSettingsSetEncode(const Conf::FormatCodecVideoPtr& codec, const Core::Property& settings) const;
  // JPEG bytes of the thumbnail to write with the metadata, or null for none.
  BlobPtr PrepareThumbnail(const Core::Property& settings) const;

  // Step settings before any preparation: frameInfo without its "tagEffectSettings", then the
  // preset under a new "tagEffectSettings" (nothing for an empty preset).
  static Core::Property PrepareFrameInfo(const Core::Property& preset, const Core::Property& frameInfo);

  // Frame preparation per effect class id.
  using HelpersFactory = std::map<std::string, Helpers::FactoryItemType>;
  static const HelpersFactory s_helpersFactory;

 protected:
  // What a restore or a new session produces; moved into the engine only when complete.
  struct SessionState {
    GlimraUndoPtr undoStore;
    Conf::FormatCodecVideoPtr formatCodec;
    Proc::ImageMetadataPtr metadata;
    std::string filePath;
    Core::Property paintSettings{std::string()};
    Core::Property brushSettings{std::string()};
    Core::Property saveSettings{std::string()};
  };

  // Restores the session file, else opens filePath as a new session.
  void LoadSession();
  // Restore from a session tree; raises on anything damaged.
  SessionState LoadSessionImpl(const Core::Property& session) const;
  // New session from the image file.
  SessionState LoadSessionImpl(const std::string& path) const;
  void SaveSessionImpl();
  // Save without the catch-all: raises on failure; the user's file is replaced only when complete.
  void SaveImpl(const Core::Property& settings);
  std::string GetSessionPath() const;
  // Where a refused session file is kept, so that the new session's file does not replace it.
  std::string GetRefusedSessionPath() const;
  // Moves a session file that could not be restored aside; no file, nothing to keep.
  void KeepRefusedSession() const;
  // The folder with a trailing separator (an empty one stays empty).
  static std::string NormalizeFolder(const std::string& folder);
  // Removes the swap files and session-file temporaries of the temporary folder that the session
  // data tree does not name; only logs what it cannot remove. While a refused session is kept,
  // every swap file stays.
  void RemoveOrphanFiles(const Core::Property& data) const;

  // Decoders: both log a warning and answer null on failure; on success they replace codec.
  Proc::DataVideoPtr LoadViaStream(const std::string& path, Conf::FormatCodecVideoPtr& codec) const;
  Proc::DataVideoPtr LoadViaEffectIO(const std::string& path, Conf::FormatCodecVideoPtr& codec) const;
  // Converts the frame to the working formats and builds the first step's frame information.
  Core::Property LoadPrepare(Proc::DataVideoPtr& frame, const std::string& path, const Conf::FormatCodecVideoPtr& codec,
                             const Proc::ImageMetadataPtr& metadata) const;

  // SetMask without the catch-all; copy: the store gets a copy, the caller keeps its frame.
  void SetMaskImpl(Proc::DataVideoPtr& mask, bool copy);
  // The frame converted to the output colour space (null stays null).
  Proc::DataVideoPtr ToOut(const Proc::DataVideoPtr& frame) const;
  // From ApplyEffect until the run's control thread has let go: the run owns the undo store.
  bool IsRunUnderWay() const { return busy.load() != 0 || runInFlight.load() != 0; }
  // Operations that change the store or write files are refused meanwhile: true after logging a
  // warning, or GlimraException for the operations that let their exceptions out.
  bool RefusedDuringRun(const char* operation) const;
  void ThrowIfRunUnderWay(const char* operation) const;
  // Hands the exception being handled to every core handler; call inside a catch block.
  void RaiseToCoreHandlers();
  // The first outcome of a run wins.
  void SetStopPromise(NotifyEvent event);

  // Run bookkeeping: RunStarted on the caller's thread before a run's control thread starts;
  // RunEnded as the control thread's very last use of the engine. The destructor stops a run
  // that is still active and waits for RunEnded.
  void RunStarted();
  void RunEnded();
  void StopAndWaitForRun();

  // Effect runs (GlimraCoreEffects.cpp).
  Core::Property PrepareFrames(Proc::DataVideoPtr& first, Proc::DataVideoPtr& second, const Core::Property& preset);
  void ProcessCtrl(const Core::Property& settings);
  void ProcessImpl(const Core::Property& settings);
  NotifyEvent WaitForProcessImpl();
  bool ProcessTry(const Core::Property& settings);
  void DebugImpl();
  void SendStatApplyEffectSuccess(const Core::Property& preset, bool committed);
  void SendStatApplyEffectError(const Core::Property& preset, const std::string& text);
  static std::string SendStatApplyEffectExtractEffectName(const Core::Property& preset, const std::string& suffix);

  RefCountImpl counter_;
  GlimraUndoPtr undoStore;
  Conf::FormatCodecVideoPtr formatCodec;
  std::string version;
  std::string sessionId;
  std::string filePath;
  std::string tempFolder;
  std::function<std::string()> tempNameGenerator;
  bool sessionRestored = false;
  Proc::OneInputEffectPtr outputConverter;
  Proc::OneInputEffectPtr maskConverter;
  Proc::OneInputEffectPtr workingConverter;
  Proc::TwoInputEffectPtr blender;
  Proc::OneInputEffectPtr alphaExtractor;
  Proc::TwoInputEffectPtr alphaInserter;
  Proc::ImageMetadataPtr metadata;
  Core::ProgressControllerPtr progressController;
  GlimraBrushPtr brush;
  std::unique_ptr<IGlimraPainter> painter;
  std::vector<std::string> reportedPaintTypes;
  Core::Property paintSettings{std::string()};
  Core::Property brushSettings{std::string()};
  Core::Property saveSettings{std::string()};
  Proc::DataVideoPtr workFrame;
  std::atomic<int32_t> stopRequested{0};
  std::atomic<int32_t> busy{0};
  boost::promise<NotifyEvent>* stopPromise = nullptr;
  std::mutex stopPromiseMutex;
  // The run's promise and its future, made before the run's threads start; the first outcome set
  // (guarded by stopPromiseMutex, 0 while none).
  std::unique_ptr<boost::promise<NotifyEvent>> runPromise;
  boost::unique_future<NotifyEvent> runFuture;
  int32_t runOutcome = 0;
  // The run has decided to store its step (guarded by stopPromiseMutex): a later stop comes too
  // late and is ignored; the outcome tells whether the step was stored.
  bool runCommitting = false;
  // Guards the working converter, which a run uses on its own thread, against GetStatistic.
  mutable std::mutex workingConverterMutex;
  std::atomic<int32_t> progressMaximum{0};
  std::atomic<int32_t> progressValue{0};
  std::atomic<uint64_t> effectCount{0};
  std::atomic<uint64_t> videoCount{0};
  Core::PerformanceTimer timer;

  // Control threads still alive (guarded by runMutex): the one of an ending run may still be
  // notifying its outcome while the next run has started.
  int runActive = 0;
  // From ApplyEffect until the control thread has let go of the run's promise; a new run waits for it.
  std::atomic<int32_t> runInFlight{0};
  std::mutex runMutex;
  std::condition_variable runEnded;
};

}  // namespace Glimra
}  // namespace Zentor
