// The frame of one undo step and its swap file, and the bounded pool that writes swap files.
#pragma once

#include "GlimraCore/Export.h"
#include "Platform/Bedrock/Property.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <boost/exception_ptr.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace Zentor {
namespace Glimra {

class UndoItemBase;

// Runs swap writes on at most MAX_THREADS threads and keeps the first failure. Every thread is
// joined by Finish or, on any other way out, by the destructor.
class GLIMRA_CORE_API SwapWriter {
 public:
  static constexpr unsigned MAX_THREADS = 8;

  // sync: flush every file to disk before it counts as written.
  explicit SwapWriter(bool sync);
  ~SwapWriter();
  SwapWriter(const SwapWriter&) = delete;
  SwapWriter& operator=(const SwapWriter&) = delete;

  // Queues the write of the step's frame (after its SaveFrameCheck answered true).
  void Write(const UndoItemBase& item);
  // Waits for every write; raises the first failure.
  void Finish();

  bool Sync() const { return sync_; }
  // Keeps failure when it is the first one; its cause is logged once, on the thread that waits
  // for the writes (an empty cause was logged already).
  void RecordFailure(boost::exception_ptr failure, const std::string& cause = std::string());

 private:
  void Join();
  void Run();
  // The first failure, its cause logged.
  boost::exception_ptr TakeFailure();

  const bool sync_;
  boost::mutex errorMutex_;
  boost::exception_ptr error_;
  std::string cause_;

  boost::mutex queueMutex_;
  boost::condition_variable queueChanged_;
  std::deque<std::function<void()>> queue_;
  bool closing_ = false;
  unsigned threadCount_ = 0;
  size_t idle_ = 0;
  boost::thread_group threads_;
};

// Geometry of a frame as written to its swap file.
struct FrameGeometry {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t aspectX = 0;
  uint32_t aspectY = 0;
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
  int32_t lines[4] = {};
};

// Where a swap file belongs: the session (a sum of its id) and the step's place in the store. A
// swap file carries it, so a session record that names another step's file is refused.
struct SwapPlace {
  static constexpr uint32_t PICTURE = 0xFFFFFFFF;
  uint64_t session = 0;
  uint32_t imageStep = 0;
  // The mask step, or PICTURE for the image step's own picture.
  uint32_t maskStep = PICTURE;
};

// The sum of a session id that swap files carry.
GLIMRA_CORE_API uint64_t SessionKey(const std::string& sessionId);

// A whole number of a session record within [lo, hi]; anything else (a fraction, text, a number
// out of range) refuses the record with IOException rather than being cut to size.
GLIMRA_CORE_API long long ReadRecordNumber(const Core::Property& node, long long lo, long long hi);

// The frame of a step. Copies of a step share one slot, so they always agree on the frame, the
// swap file name and the geometry; the slot's mutex guards all three. When the last copy goes,
// its swap file goes with it unless a session record names that file.
class GLIMRA_CORE_API UndoItemBase {
 public:
  // A step without frame.
  UndoItemBase();
  // A step holding frame (null allowed); copy: keep an independent copy instead of the frame.
  UndoItemBase(const Proc::DataVideoPtr& frame, bool copy);

  // The frame, read back from its swap file when it is swapped out; null when there is none.
  Proc::DataVideoPtr GetFrame() const;
  // Installs a new frame content (null allowed); any swap file no longer holds it.
  void SetFrame(const Proc::DataVideoPtr& frame) const;
  // The frame's content changed in place: its swap file no longer holds it.
  void ForgetSwapFile() const;

  bool IsInMemory() const;
  // In memory without a swap file: the next offer needs a new name.
  bool NeedsSwapName() const;
  std::string GetSwapName() const;
  // Bytes held in memory: plane 0's line size times the height.
  uint64_t GetMemorySize() const;
  FrameGeometry GetGeometry() const;

  // Offers the frame for writing under name at place: true when a write is needed (name, geometry
  // and place are recorded); a frame that a file already holds leaves memory at once.
  bool SaveFrameCheck(const std::string& name, const SwapPlace& place) const;
  // Takes back an offer that SaveFrameCheck accepted but that was never queued.
  void CancelWrite() const;
  // Writes the frame to its swap file and lets it go; a failure is recorded in the writer, the
  // partial file removed and the step keeps its frame without a file.
  void SaveFrame(SwapWriter& writer) const;
  // Reads the frame back from its swap file (IOExceptionTempFolder on failure, step unchanged).
  void LoadFrame() const;
  void SerializeFrame(Core::Property& node) const;
  // Takes name and geometry from the frame record of the step at place; refuses unusable geometry
  // with IOException. The file read back must carry the same place.
  void DeserializeFrame(const Core::Property& node, const SwapPlace& place);
  // A session record now names the swap file: it stays when the step goes.
  void KeepSwapFile() const;

 private:
  struct Slot {
    ~Slot();
    boost::mutex mutex;
    Proc::DataVideoPtr frame;
    std::string swapName;
    FrameGeometry geometry;
    SwapPlace place;
    bool writePending = false;
    // A session record names swapName: the file must outlive the step.
    bool named = false;
  };
  void LoadFrameLocked(Slot& slot) const;

  std::shared_ptr<Slot> slot_;
};

// Bytes of a frame in memory as the store counts them.
GLIMRA_CORE_API uint64_t GetFrameSize(const Proc::IDataVideo* frame);

}  // namespace Glimra
}  // namespace Zentor
