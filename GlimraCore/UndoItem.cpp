#include "GlimraCore/UndoItem.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/FrameChecksum.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Settings.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/Formats/IFormatCodec.h"

#include <boost/exception/errinfo_errno.hpp>
#include <glog/logging.h>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Zentor {
namespace Glimra {

namespace {

// The text of the exception being handled, for the log.
std::string CauseText() {
  try {
    throw;
  } catch (const Zentor::Exception& e) {
    return GetDescription(e, "Unknown error");
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

// Rows of plane n as frames lay them out.
uint32_t PlaneRows(const FrameGeometry& g, int plane) {
  return plane == 0 ? g.height : Proc::GetPlaneRows(g.pixelFormat, plane, g.height);
}

// Why the geometry cannot describe a stored frame, or empty when it can.
std::string CheckGeometry(const FrameGeometry& g) {
  const Proc::PixelFormatDescription desc = Proc::GetPixelFormatDescription(g.pixelFormat);
  if (!desc.valid) return "unknown pixel format " + std::to_string(static_cast<int>(g.pixelFormat));
  if (g.width == 0 || g.height == 0) return "empty frame";
  if (g.aspectX == 0 || g.aspectY == 0) return "zero pixel aspect";
  const int planes = std::min(desc.planes, 4);
  for (int n = 0; n < planes; ++n) {
    const int rowBytes = Proc::GetPlaneRowBytes(g.pixelFormat, n, g.width);
    if (g.lines[n] <= 0 || g.lines[n] < rowBytes) return "line size of plane " + std::to_string(n) + " too small";
  }
  return std::string();
}

uint64_t ExpectedFileSize(const FrameGeometry& g) {
  uint64_t size = 8;
  for (int n = 0; n < 4 && g.lines[n] > 0; ++n) size += static_cast<uint64_t>(g.lines[n]) * PlaneRows(g, n);
  return size;
}


// A swap file ends with a record of its own geometry, of the session and step it belongs to, and
// a checksum of everything before the checksum, so a damaged file, or a frame record that no
// longer describes the file or names the file of another step, is refused.
constexpr char TRAILER_TAG[9] = "ZSWAPEN2";
constexpr size_t TRAILER_FIELDS = 9;  // width, height, aspect x and y, pixel format, four line sizes
constexpr size_t TRAILER_GEOMETRY = 8 + TRAILER_FIELDS * 4;
constexpr size_t TRAILER_SESSION = 8;
constexpr size_t TRAILER_PLACE = 8;  // image step, mask step
constexpr size_t TRAILER_BODY = TRAILER_GEOMETRY + TRAILER_SESSION + TRAILER_PLACE;
constexpr size_t TRAILER_SIZE = TRAILER_BODY + 8;
// Content is summed in pieces small enough to still be in the cache when written or after reading.
constexpr size_t SLICE = 256 * 1024;

void PutLe(uint8_t* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLe(const uint8_t* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

void TrailerBody(const FrameGeometry& g, const SwapPlace& place, uint8_t* out) {
  std::memcpy(out, TRAILER_TAG, 8);
  const uint32_t fields[TRAILER_FIELDS] = {g.width,
                                           g.height,
                                           g.aspectX,
                                           g.aspectY,
                                           static_cast<uint32_t>(g.pixelFormat),
                                           static_cast<uint32_t>(g.lines[0]),
                                           static_cast<uint32_t>(g.lines[1]),
                                           static_cast<uint32_t>(g.lines[2]),
                                           static_cast<uint32_t>(g.lines[3])};
  for (size_t i = 0; i < TRAILER_FIELDS; ++i) PutLe(out + 8 + 4 * i, fields[i], 4);
  PutLe(out + TRAILER_GEOMETRY, place.session, 8);
  PutLe(out + TRAILER_GEOMETRY + TRAILER_SESSION, place.imageStep, 4);
  PutLe(out + TRAILER_GEOMETRY + TRAILER_SESSION + 4, place.maskStep, 4);
}

// Passes writes on and sums them.
class SummingOutput : public RefCounted<Core::IDataOutput> {
 public:
  explicit SummingOutput(Core::IDataOutput& out) : out_(out) {}
  void Write(const void* buffer, size_t size) override {
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    while (size > 0) {
      const size_t piece = std::min(size, SLICE);
      sum.Update(bytes, piece);
      out_.Write(bytes, piece);
      bytes += piece;
      size -= piece;
    }
  }
  void Commit() override { out_.Commit(); }
  FrameChecksum sum;

 private:
  Core::IDataOutput& out_;
};

// Sums pieces in order on a thread of its own while the caller reads the next ones, so a read
// from the swap file costs hardly more than the read itself. Pieces must stay valid until Final.
// Before summing, the thread maps in the fresh memory the caller is about to read into: the read
// then finds its pages present instead of faulting on each one, which costs more than the sum.
// Without a thread the pieces are summed as they come and the read faults its pages in.
class BackgroundSum {
 public:
  BackgroundSum() {
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (...) {
    }
  }
  ~BackgroundSum() { Stop(); }
  BackgroundSum(const BackgroundSum&) = delete;
  BackgroundSum& operator=(const BackgroundSum&) = delete;

  void Add(const void* data, size_t size) {
    if (!thread_.joinable()) {
      sum_.Update(data, size);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pieces_.emplace_back(static_cast<const uint8_t*>(data), size);
    }
    changed_.notify_one();
  }
  // Memory that will be read into; it must stay valid until Final.
  void Prefault(void* data, size_t size) {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      prefaults_.emplace_back(static_cast<const uint8_t*>(data), size);
    }
    changed_.notify_one();
  }
  uint64_t Final() {
    Stop();
    return sum_.Final();
  }

 private:
  void Run() {
    for (;;) {
      std::pair<const uint8_t*, size_t> piece;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !prefaults_.empty() || !pieces_.empty() || closing_; });
        if (closing_) prefaults_.clear();  // nothing will be read any more
        if (!prefaults_.empty()) {
          piece = prefaults_.front();
          prefaults_.pop_front();
          lock.unlock();
          MapIn(piece.first, piece.second);
          continue;
        }
        if (pieces_.empty()) return;
        piece = pieces_.front();
        pieces_.pop_front();
      }
      sum_.Update(piece.first, piece.second);
    }
  }
  // Whole pages only; where the system cannot do it, the read faults the pages in as before.
  static void MapIn(const uint8_t* data, size_t size) {
#if defined(MADV_POPULATE_WRITE)
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)size;
#endif
  }
  void Stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closing_ = true;
    }
    changed_.notify_one();
    thread_.join();
  }

  FrameChecksum sum_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<const uint8_t*, size_t>> prefaults_;
  std::deque<std::pair<const uint8_t*, size_t>> pieces_;
  bool closing_ = false;
  std::thread thread_;
};

// Pieces of a plane read: large enough to cost no more than one read, small enough that summing
// runs beside the reading.
constexpr size_t READ_SLICE = 8 * 1024 * 1024;

// Reads exactly size bytes and hands them to the sum.
void ReadSummed(Core::IDataInput& in, BackgroundSum& sum, void* buffer, size_t size) {
  uint8_t* bytes = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    const size_t piece = std::min(size, READ_SLICE);
    in.Read(bytes, piece);
    sum.Add(bytes, piece);
    bytes += piece;
    size -= piece;
  }
}

// The temporary folder's exception with the cause in words the user can act on.
IOExceptionTempFolder TempFolderFailure(const std::string& cause) {
  IOExceptionTempFolder failure;
  failure << TagDescription(cause);
  return failure;
}

// Why a swap write failed, for the user: a full folder is named as such.
std::string WriteFailureText(const std::string& name) {
  try {
    throw;
  } catch (const boost::exception& e) {
    const int* error = boost::get_error_info<boost::errinfo_errno>(e);
    if (error && (*error == ENOSPC || *error == EDQUOT)) return "No space left in the temporary folder";
  } catch (...) {
  }
  return "Cannot write the swap file \"" + name + "\"";
}
}  // namespace

uint64_t SessionKey(const std::string& sessionId) {
  FrameChecksum sum;
  sum.Update(sessionId.data(), sessionId.size());
  return sum.Final();
}

long long ReadRecordNumber(const Core::Property& node, long long lo, long long hi) {
  // The writer stores whole numbers only; a fraction or text was not written by it.
  long long value = 0;
  if (node.GetType() == PT_INT) {
    value = node.GetInt();
  } else if (node.GetType() == PT_INT64) {
    value = node.GetInt64();
  } else {
    ZENTOR_THROW_DESC(IOException, "Damaged session record: \"" + node.GetName() + "\" is not a whole number");
  }
  if (value < lo || value > hi) {
    ZENTOR_THROW_DESC(IOException, "Damaged session record: \"" + node.GetName() + "\" is out of range: " +
                                       std::to_string(value));
  }
  return value;
}

uint64_t GetFrameSize(const Proc::IDataVideo* frame) {
  if (!frame) return 0;
  const int line = frame->GetPicture().linesize[0];
  return static_cast<uint64_t>(line < 0 ? -static_cast<int64_t>(line) : line) * frame->GetHeight();
}

// ---------------------------------------------------------------------------------------------
// SwapWriter

SwapWriter::SwapWriter(bool sync) : sync_(sync) {}

SwapWriter::~SwapWriter() {
  Join();
  TakeFailure();
}

void SwapWriter::Write(const UndoItemBase& item) {
  UndoItemBase step(item);  // shares the step's slot, so the write never outlives its frame
  boost::unique_lock<boost::mutex> lock(queueMutex_);
  queue_.push_back([this, step] { step.SaveFrame(*this); });
  if (threadCount_ < MAX_THREADS && queue_.size() > idle_) {
    try {
      threads_.create_thread([this] { Run(); });
      ++threadCount_;
    } catch (...) {
      if (threadCount_ == 0) {
        // No thread at all: write on this one.
        std::function<void()> task = std::move(queue_.back());
        queue_.pop_back();
        lock.unlock();
        task();
        return;
      }
    }
  }
  lock.unlock();
  queueChanged_.notify_one();
}

void SwapWriter::Run() {
  for (;;) {
    std::function<void()> task;
    {
      boost::unique_lock<boost::mutex> lock(queueMutex_);
      ++idle_;
      while (queue_.empty() && !closing_) queueChanged_.wait(lock);
      --idle_;
      if (queue_.empty()) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    try {
      task();
    } catch (...) {
      // SaveFrame records its own failures; nothing may leave the thread.
    }
  }
}

void SwapWriter::Join() {
  {
    boost::lock_guard<boost::mutex> lock(queueMutex_);
    closing_ = true;
  }
  queueChanged_.notify_all();
  threads_.join_all();
}

void SwapWriter::Finish() {
  Join();
  const boost::exception_ptr failure = TakeFailure();
  if (failure) boost::rethrow_exception(failure);
}

boost::exception_ptr SwapWriter::TakeFailure() {
  boost::exception_ptr failure;
  std::string cause;
  {
    boost::lock_guard<boost::mutex> lock(errorMutex_);
    failure = error_;
    error_ = boost::exception_ptr();
    cause.swap(cause_);
  }
  if (!cause.empty()) LOG(ERROR) << cause;
  return failure;
}

void SwapWriter::RecordFailure(boost::exception_ptr failure, const std::string& cause) {
  boost::lock_guard<boost::mutex> lock(errorMutex_);
  if (error_) return;
  error_ = failure;
  cause_ = cause;
}

// ---------------------------------------------------------------------------------------------
// UndoItemBase

UndoItemBase::Slot::~Slot() {
  // The last copy of the step is gone; a file no session record names is of no use any more.
  if (swapName.empty() || named || writePending) return;
  if (::unlink(swapName.c_str()) != 0 && errno != ENOENT) {
    LOG(WARNING) << "Cannot remove the swap file " << swapName << ": " << std::strerror(errno);
  }
}

UndoItemBase::UndoItemBase() : slot_(std::make_shared<Slot>()) {}

UndoItemBase::UndoItemBase(const Proc::DataVideoPtr& frame, bool copy) : slot_(std::make_shared<Slot>()) {
  if (frame) slot_->frame = copy ? frame->CreateCopy() : frame;
}

Proc::DataVideoPtr UndoItemBase::GetFrame() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  if (!slot_->frame && !slot_->swapName.empty()) LoadFrameLocked(*slot_);
  return slot_->frame;
}

void UndoItemBase::SetFrame(const Proc::DataVideoPtr& frame) const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  slot_->frame = frame;
  slot_->swapName.clear();
  slot_->named = false;
}

void UndoItemBase::ForgetSwapFile() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  slot_->swapName.clear();
  slot_->named = false;
}

bool UndoItemBase::IsInMemory() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  return static_cast<bool>(slot_->frame);
}

bool UndoItemBase::NeedsSwapName() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  return slot_->frame && slot_->swapName.empty();
}

std::string UndoItemBase::GetSwapName() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  return slot_->swapName;
}

uint64_t UndoItemBase::GetMemorySize() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  return GetFrameSize(slot_->frame.get());
}

FrameGeometry UndoItemBase::GetGeometry() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  return slot_->geometry;
}

bool UndoItemBase::SaveFrameCheck(const std::string& name, const SwapPlace& place) const {
  Slot& slot = *slot_;
  boost::lock_guard<boost::mutex> lock(slot.mutex);
  if (!slot.frame) return false;
  if (slot.swapName.empty()) {
    if (name.empty()) return false;
    const Proc::IDataVideo& frame = *slot.frame;
    slot.swapName = name;
    slot.named = false;
    slot.place = place;
    slot.geometry.width = frame.GetWidth();
    slot.geometry.height = frame.GetHeight();
    slot.geometry.aspectX = frame.GetAspectX();
    slot.geometry.aspectY = frame.GetAspectY();
    slot.geometry.pixelFormat = frame.GetPixelFormat();
    for (int n = 0; n < 4; ++n) slot.geometry.lines[n] = frame.GetPicture().linesize[n];
    slot.writePending = true;
    return true;
  }
  // A write queued by this walk has not run yet: the file does not hold the frame so far.
  if (slot.writePending) return false;
  slot.frame.reset();
  return false;
}

void UndoItemBase::CancelWrite() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  if (!slot_->writePending) return;
  slot_->writePending = false;
  slot_->swapName.clear();
}

void UndoItemBase::SaveFrame(SwapWriter& writer) const {
  Slot& slot = *slot_;
  // The file is written without the slot's lock, so readers of the frame never wait for the disk:
  // a stored frame does not change, and the offer stays pending until the write has ended.
  Proc::DataVideoPtr frame;
  std::string name;
  FrameGeometry geometry;
  SwapPlace place;
  {
    boost::lock_guard<boost::mutex> lock(slot.mutex);
    if (!slot.frame || slot.swapName.empty()) {
      slot.writePending = false;
      return;
    }
    frame = slot.frame;
    name = slot.swapName;
    geometry = slot.geometry;
    place = slot.place;
  }
  try {
    Core::DataOutputPtr out = Core::DataOutputFile::Create(name, Core::DataOutputFile::TRUNCATE);
    SummingOutput summed(*out);
    frame->WriteData(summed);
    uint8_t trailer[TRAILER_SIZE];
    TrailerBody(geometry, place, trailer);
    summed.sum.Update(trailer, TRAILER_BODY);
    PutLe(trailer + TRAILER_BODY, summed.sum.Final(), 8);
    out->Write(trailer, TRAILER_SIZE);
    if (writer.Sync()) {
      out->Commit();  // flushes and compares the size
    } else {
      out.reset();
      struct stat info {};
      const uint64_t expected = ExpectedFileSize(geometry) + TRAILER_SIZE;
      if (::stat(name.c_str(), &info) != 0 || static_cast<uint64_t>(info.st_size) != expected) {
        ZENTOR_THROW_DESC(Core::FileException, "Swap file \"" + name + "\" is incomplete");
      }
    }
    out.reset();
  } catch (...) {
    const std::string cause = CauseText();
    const std::string text = WriteFailureText(name);
    // The frame stays in memory and counts as not written, so the next walk writes it again.
    std::remove(name.c_str());
    {
      boost::lock_guard<boost::mutex> lock(slot.mutex);
      slot.writePending = false;
      if (slot.swapName == name) slot.swapName.clear();
    }
    boost::exception_ptr failure;
    try {
      ZENTOR_THROW(TempFolderFailure(text));
    } catch (...) {
      failure = boost::current_exception();
    }
    writer.RecordFailure(failure, cause);
    return;
  }
  boost::lock_guard<boost::mutex> lock(slot.mutex);
  slot.writePending = false;
  if (slot.frame == frame && slot.swapName == name) slot.frame.reset();
}

void UndoItemBase::LoadFrame() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  LoadFrameLocked(*slot_);
}

void UndoItemBase::LoadFrameLocked(Slot& slot) const {
  if (slot.swapName.empty()) return;
  const FrameGeometry& g = slot.geometry;
  const std::string damaged = "Damaged swap file \"" + slot.swapName + "\"";
  std::string problem = CheckGeometry(g);
  try {
    if (!problem.empty()) ZENTOR_THROW_DESC(IOException, damaged + ": " + problem);
    Core::DataInputPtr in = Core::DataInputFile::Create(slot.swapName);
    const uint64_t expected = ExpectedFileSize(g) + TRAILER_SIZE;
    if (in->GetSize() != expected) {
      problem = "it holds " + std::to_string(in->GetSize()) + " bytes instead of " + std::to_string(expected);
      ZENTOR_THROW_DESC(IOException, damaged + ": " + problem);
    }
    Proc::DataVideoPtr frame =
        Proc::DataVideoFF::Create(g.pixelFormat, g.width, g.height, g.aspectX, g.aspectY, g.lines);
    Proc::Picture& picture = frame->GetPicture();
    char leading[8];
    // The dropped tail of every row keeps a place of its own until it is summed.
    size_t droppedBytes = 0;
    for (int n = 0; n < 4 && g.lines[n] > 0; ++n) {
      if (g.lines[n] > picture.linesize[n]) {
        droppedBytes += static_cast<size_t>(g.lines[n] - picture.linesize[n]) * PlaneRows(g, n);
      }
    }
    std::vector<uint8_t> scratch(droppedBytes);
    size_t scratchUsed = 0;
    uint8_t trailer[TRAILER_SIZE];
    // Declared after everything it reads, so that it has stopped before they go.
    BackgroundSum sum;
    for (int n = 0; n < 4 && g.lines[n] > 0; ++n) {
      if (picture.data[n] && picture.linesize[n] > 0) {
        sum.Prefault(picture.data[n], static_cast<size_t>(picture.linesize[n]) * PlaneRows(g, n));
      }
    }
    ReadSummed(*in, sum, leading, sizeof(leading));
    if (std::memcmp(leading, Proc::DataVideoFF::LEADING_FIELD, sizeof(leading)) != 0) {
      problem = "wrong leading field";
      ZENTOR_THROW_DESC(IOException, damaged + ": " + problem);
    }
    for (int n = 0; n < 4; ++n) {
      const int32_t stored = g.lines[n];
      if (stored <= 0) break;
      const uint32_t rows = PlaneRows(g, n);
      const int32_t actual = picture.linesize[n];
      uint8_t* plane = picture.data[n];
      if (!plane || actual <= 0) ZENTOR_THROW_DESC(IOException, "Swap file plane " + std::to_string(n) + " missing");
      if (stored == actual) {
        ReadSummed(*in, sum, plane, static_cast<size_t>(stored) * rows);
        continue;
      }
      const size_t kept = static_cast<size_t>(std::min(stored, actual));
      const size_t dropped = stored > actual ? static_cast<size_t>(stored - actual) : 0;
      for (uint32_t r = 0; r < rows; ++r) {
        ReadSummed(*in, sum, plane + static_cast<size_t>(r) * actual, kept);
        if (dropped == 0) continue;
        ReadSummed(*in, sum, scratch.data() + scratchUsed, dropped);
        scratchUsed += dropped;
      }
    }
    in->Read(trailer, TRAILER_SIZE);
    uint8_t recorded[TRAILER_BODY];
    TrailerBody(g, slot.place, recorded);
    if (std::memcmp(trailer, recorded, TRAILER_GEOMETRY) != 0) {
      problem = "it does not hold the frame its record describes";
    } else if (std::memcmp(trailer + TRAILER_GEOMETRY, recorded + TRAILER_GEOMETRY, TRAILER_SESSION) != 0) {
      problem = "it belongs to another session";
    } else if (std::memcmp(trailer + TRAILER_GEOMETRY + TRAILER_SESSION, recorded + TRAILER_GEOMETRY + TRAILER_SESSION,
                           TRAILER_PLACE) != 0) {
      problem = "it belongs to another step";
    }
    if (!problem.empty()) ZENTOR_THROW_DESC(IOException, damaged + ": " + problem);
    sum.Add(trailer, TRAILER_BODY);
    if (GetLe(trailer + TRAILER_BODY, 8) != sum.Final()) {
      problem = "checksum mismatch";
      ZENTOR_THROW_DESC(IOException, damaged + ": " + problem);
    }
    slot.frame = frame;
  } catch (...) {
    const std::string cause = CauseText();
    LOG(ERROR) << cause;
    ZENTOR_THROW(TempFolderFailure(problem.empty() ? "Cannot read the swap file \"" + slot.swapName + "\"" : damaged));
  }
}

void UndoItemBase::SerializeFrame(Core::Property& node) const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  if (slot_->swapName.empty()) return;
  const FrameGeometry& g = slot_->geometry;
  node.CreateChildT(Conf::IFormatCodecVideo::TAG_WIDTH, static_cast<long long>(g.width));
  node.CreateChildT(Conf::IFormatCodecVideo::TAG_HEIGHT, static_cast<long long>(g.height));
  node.CreateChildT(Conf::IFormatCodecVideo::TAG_ASPECTX, static_cast<long long>(g.aspectX));
  node.CreateChildT(Conf::IFormatCodecVideo::TAG_ASPECTY, static_cast<long long>(g.aspectY));
  node.CreateChildT(Conf::IFormatCodecVideo::TAG_PIX_FMT, static_cast<long long>(g.pixelFormat));
  node.CreateChildT(Conf::IFormatFile::TAG_FILENAME, slot_->swapName);
  Core::Property& lines = node.SetChild(Settings::SAVE_PROPERTY_LINESIZES);
  for (int n = 0; n < 4; ++n) lines.CreateChildT(std::string(), static_cast<int>(g.lines[n]));
}

void UndoItemBase::DeserializeFrame(const Core::Property& node, const SwapPlace& place) {
  if (!node.ChildExists(Conf::IFormatFile::TAG_FILENAME)) return;
  const auto size = [&node](const std::string& name) {
    return static_cast<uint32_t>(ReadRecordNumber(node[name], 0, UINT32_MAX));
  };
  FrameGeometry g;
  g.width = size(Conf::IFormatCodecVideo::TAG_WIDTH);
  g.height = size(Conf::IFormatCodecVideo::TAG_HEIGHT);
  g.aspectX = size(Conf::IFormatCodecVideo::TAG_ASPECTX);
  g.aspectY = size(Conf::IFormatCodecVideo::TAG_ASPECTY);
  // Only values of the enumeration may become an AVPixelFormat.
  g.pixelFormat = static_cast<AVPixelFormat>(
      ReadRecordNumber(node[Conf::IFormatCodecVideo::TAG_PIX_FMT], AV_PIX_FMT_NONE, AV_PIX_FMT_NB - 1));
  const std::string name = Core::GetValue<std::string>(node[Conf::IFormatFile::TAG_FILENAME]);
  const Core::Property& lines = node[Settings::SAVE_PROPERTY_LINESIZES];
  for (int n = 0; n < 4; ++n) g.lines[n] = static_cast<int32_t>(ReadRecordNumber(lines[n], INT32_MIN, INT32_MAX));
  const std::string problem = name.empty() ? std::string("no file name") : CheckGeometry(g);
  if (!problem.empty()) ZENTOR_THROW_DESC(IOException, "Damaged frame record: " + problem);

  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  slot_->frame.reset();
  slot_->swapName = name;
  slot_->geometry = g;
  slot_->place = place;
  slot_->named = true;
}

void UndoItemBase::KeepSwapFile() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  if (!slot_->swapName.empty()) slot_->named = true;
}

}  // namespace Glimra
}  // namespace Zentor
