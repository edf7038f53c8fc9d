// The undo store of one opened image: image steps, each with its own selection history.
#pragma once

#include "Core/Interfaces/EventHandlerList.h"
#include "Core/Interfaces/RefCountable.h"
#include "GlimraCore/Export.h"
#include "GlimraCore/IGlimraCore.h"
#include "Platform/Bedrock/Property.h"
#include "Proc/Interfaces/CropInfo.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <cstdint>
#include <functional>
#include <string>

namespace Zentor {
namespace Glimra {

class GLIMRA_CORE_API IGlimraUndo
    : public virtual IRefCountable,
      public virtual IGlimraUndoBase,
      public virtual Core::EventHandlerList<IDrawerEventHandler, Core::SyncExecutePolicy> {
 public:
  // A fresh file base name on every call.
  using TempNameFunction = std::function<std::string()>;
  // Per-byte conversion: (x, y, component, value) -> new value.
  using ConvFunction = uint8_t (*)(uint32_t x, uint32_t y, int component, uint8_t value);

  // Name of a loaded picture's frame information.
  static const std::string TAG_FRAME_INFO;

  ~IGlimraUndo() override;

  // A new image step after the current one; its picture is copied, the mask (may be null) too.
  virtual void Add(const Core::Property& info, const Proc::DataVideoPtr& picture, const Proc::DataVideoPtr& mask) = 0;
  // The same, keeping the picture itself: the caller must not change it afterwards.
  virtual void AddWithoutCopy(const Core::Property& info, const Proc::DataVideoPtr& picture,
                              const Proc::DataVideoPtr& mask) = 0;
  // Replaces the current image step.
  virtual void Set(const Core::Property& info, const Proc::DataVideoPtr& picture, const Proc::DataVideoPtr& mask) = 0;
  // The current picture, read back from its swap file when needed; null on an empty store.
  virtual Proc::DataVideoPtr GetVideo() const = 0;
  // The picture of image step 0.
  virtual Proc::DataVideoPtr GetSourceVideo() const = 0;
  // A copy of the current step's frame information owned by the calling thread: valid until the
  // thread's next GetSettings.
  virtual const Core::Property& GetSettings() const = 0;
  // A mask step over the mask's non-zero bytes (and the current selection's bounds). The store
  // keeps the frame itself: the caller must not change it afterwards.
  virtual void AddMask(const Proc::DataVideoPtr& mask) = 0;
  // A mask step over the given rectangle.
  virtual void AddMask(const Proc::DataVideoPtr& mask, const Proc::CropInfo& rect) = 0;
  // The current mask (GRAY8), null when there is none.
  virtual Proc::DataVideoPtr GetMask() const = 0;
  virtual Proc::CropInfo GetMaskInfo() const = 0;
  virtual uint64_t GetMaskPixelCount() const = 0;
  // A mask step that removes the whole mask.
  virtual void ResetMask() = 0;
  // A frame of one colour (bytes little-endian, padding 0) shaped like the current picture.
  virtual Proc::DataVideoPtr GetVideoColor(uint32_t color) = 0;
  virtual Proc::DataVideoPtr GetVideoCopy() = 0;
  virtual Proc::DataVideoPtr GetVideoConv(ConvFunction function) = 0;
  // What the selection overlay is made of, all taken from one state of the store.
  struct OverlayParts {
    Proc::DataVideoPtr picture;
    // Null when there is no selection; then bounds and color stay empty.
    Proc::DataVideoPtr mask;
    Proc::CropInfo bounds;
    // GetVideoColor's frame for the colour.
    Proc::DataVideoPtr color;
  };
  virtual OverlayParts GetOverlayParts(uint32_t color) = 0;
  virtual bool IsSaved() const = 0;
  virtual void SetSaved(bool saved) = 0;
  // Restores both levels from a session's "Data" node; refuses damaged records with IOException.
  virtual void Load(const Core::Property& data) = 0;
  // Writes both levels into node, every frame written to a swap file first. The files it names
  // then stay when their steps go (a swap file no session record names goes with its step).
  virtual void Save(Core::Property& data) = 0;
  // Writes frames of non-current steps to swap files when the store holds too much.
  virtual void CheckForSize() = 0;
  virtual bool HasChange() const = 0;
  // Raises the drawer events.
  virtual void Notify() = 0;

  // folder: the session's temporary folder; sessionName: the session's id, which its swap files
  // carry, so that a record of another session is refused when read back.
  static boost::intrusive_ptr<IGlimraUndo> Create(const std::string& folder, const std::string& sessionName,
                                                  TempNameFunction tempName);
};

using GlimraUndoPtr = boost::intrusive_ptr<IGlimraUndo>;

}  // namespace Glimra
}  // namespace Zentor
