// The undo store: a level of image steps, each with its own selection history.
//
// Queries may come from any thread while another thread changes the store: they share a reader
// lock that a change holds alone only while it rearranges the steps. Changes, swap walks included,
// run one at a time; a walk's file writes happen without the reader lock, on frames that no longer
// change, so queries go on meanwhile. Drawer events are raised once a change is complete and
// without the reader lock, so handlers may query the store.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraUndo.h"
#include "GlimraCore/MaskUndo.h"

#include <boost/thread/mutex.hpp>

#include <mutex>
#include <shared_mutex>

namespace Zentor {
namespace Glimra {

using TUndoImplTop = TUndoImpl<Core::Property, MaskUndo>;

class GLIMRA_CORE_API GlimraUndo : public virtual IGlimraUndo, protected TUndoImplTop {
 public:
  // Frames of non-current steps go to swap files from this many bytes in memory on.
  static constexpr uint64_t DEFAULT_SWAP_THRESHOLD = 250000000;
  using TempNameFunction = IGlimraUndo::TempNameFunction;
  using ConvFunction = IGlimraUndo::ConvFunction;

  // session: the id of the session the store belongs to; its swap files carry it.
  GlimraUndo(const std::string& folder, const std::string& session, TempNameFunction tempName);
  ~GlimraUndo() override;

  long AddRef() const override { return counter_.AddRef(); }
  long GetRefCount() const override { return counter_.Get(); }
  long Release() const override;

  bool IsUndoEnabled() const override;
  bool IsRedoEnabled() const override;
  void Undo() override;
  void Redo() override;
  void Reset() override;

  void Add(const Core::Property& info, const Proc::DataVideoPtr& picture, const Proc::DataVideoPtr& mask) override;
  void AddWithoutCopy(const Core::Property& info, const Proc::DataVideoPtr& picture,
                      const Proc::DataVideoPtr& mask) override;
  void Set(const Core::Property& info, const Proc::DataVideoPtr& picture, const Proc::DataVideoPtr& mask) override;
  Proc::DataVideoPtr GetVideo() const override;
  Proc::DataVideoPtr GetSourceVideo() const override;
  const Core::Property& GetSettings() const override;
  void AddMask(const Proc::DataVideoPtr& mask) override;
  void AddMask(const Proc::DataVideoPtr& mask, const Proc::CropInfo& rect) override;
  Proc::DataVideoPtr GetMask() const override;
  Proc::CropInfo GetMaskInfo() const override;
  uint64_t GetMaskPixelCount() const override;
  void ResetMask() override;
  Proc::DataVideoPtr GetVideoColor(uint32_t color) override;
  Proc::DataVideoPtr GetVideoCopy() override;
  Proc::DataVideoPtr GetVideoConv(ConvFunction function) override;
  OverlayParts GetOverlayParts(uint32_t color) override;
  bool IsSaved() const override;
  void SetSaved(bool saved) override;
  void Load(const Core::Property& data) override;
  void Save(Core::Property& data) override;
  void CheckForSize() override;
  bool HasChange() const override;
  void Notify() override;

  // Bytes of frames in memory: pictures, mask histories and the three caches.
  uint64_t GetSize() const override;
  bool ResetImpl() override;

  void SetSwapThreshold(uint64_t bytes) { swapThreshold_ = bytes; }
  uint64_t GetSwapThreshold() const { return swapThreshold_; }
  size_t GetStepCount() const;
  uint32_t GetIndex() const;

 private:
  using ReadLock = std::shared_lock<std::shared_mutex>;
  using WriteLock = std::unique_lock<std::shared_mutex>;
  using ChangeLock = std::lock_guard<std::recursive_mutex>;

  // A new step of the picture and mask (both copied); made before the store is locked.
  UndoItem MakeStep(const Core::Property& info, const Proc::DataVideoPtr& picture, const Proc::DataVideoPtr& mask,
                    bool copy = true) const;
  void AddStep(const Core::Property& info, const Proc::DataVideoPtr& picture, const Proc::DataVideoPtr& mask,
               bool copy);
  // Appends the step after the current one; answers whether the level holds more than one.
  bool Push(UndoItem step);
  MaskUndo* CurrentMask() const;
  Proc::DataVideoPtr CurrentPicture() const;
  // GetVideoColor on the picture, under the colour cache's mutex.
  Proc::DataVideoPtr ColorFrame(uint32_t color, const Proc::DataVideoPtr& picture);
  // Drops the image steps after the current one.
  void CutRedo();
  void DropPictureCaches();
  // CheckForSize, then the drawer events even when it fails; its failure is passed on.
  void FinishChange();

  RefCountImpl counter_;
  std::string folder_;
  // The session and no step yet: where the store's swap files belong.
  SwapPlace owner_;
  TempNameFunction tempName_;
  Proc::DataVideoPtr colorCache_;
  Proc::DataVideoPtr copyCache_;
  Proc::DataVideoPtr convCache_;
  mutable boost::mutex colorMutex_;
  mutable boost::mutex copyMutex_;
  mutable boost::mutex convMutex_;
  uint32_t cachedColor_ = 0xFFFFFFFF;
  ConvFunction cachedConv_ = nullptr;
  uint64_t swapThreshold_ = DEFAULT_SWAP_THRESHOLD;
  // Steps, indexes, mask bounds and saved flags; taken before any cache mutex.
  mutable std::shared_mutex stateMutex_;
  // Held by every change from start to end; a thread holding it may read the state unlocked.
  mutable std::recursive_mutex changeMutex_;
};

}  // namespace Glimra
}  // namespace Zentor
