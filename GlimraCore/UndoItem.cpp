#include "GlimraCore/UndoItem.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Settings.h"
#include "Platform/FileIo/DataFile.h"
#include "Platform/Formats/IFormatCodec.h"

#include <glog/logging.h>

#include <algorithm>
#include <cstdio>
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

}  // namespace

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
}

void UndoItemBase::ForgetSwapFile() const {
  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  slot_->swapName.clear();
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

bool UndoItemBase::SaveFrameCheck(const std::string& name) const {
  Slot& slot = *slot_;
  boost::lock_guard<boost::mutex> lock(slot.mutex);
  if (!slot.frame) return false;
  if (slot.swapName.empty()) {
    if (name.empty()) return false;
    const Proc::IDataVideo& frame = *slot.frame;
    slot.swapName = name;
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
  {
    boost::lock_guard<boost::mutex> lock(slot.mutex);
    if (!slot.frame || slot.swapName.empty()) {
      slot.writePending = false;
      return;
    }
    frame = slot.frame;
    name = slot.swapName;
  }
  try {
    Core::DataOutputPtr out = Core::DataOutputFile::Create(name, Core::DataOutputFile::TRUNCATE);
    frame->WriteData(*out);
    if (writer.Sync()) out->Commit();
    out.reset();
  } catch (...) {
    const std::string cause = CauseText();
    // The frame stays in memory and counts as not written, so the next walk writes it again.
    std::remove(name.c_str());
    {
      boost::lock_guard<boost::mutex> lock(slot.mutex);
      slot.writePending = false;
      if (slot.swapName == name) slot.swapName.clear();
    }
    boost::exception_ptr failure;
    try {
      ZENTOR_THROW(IOExceptionTempFolder());
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
  try {
    const std::string problem = CheckGeometry(g);
    if (!problem.empty()) ZENTOR_THROW_DESC(IOException, "Swap file \"" + slot.swapName + "\": " + problem);
    Core::DataInputPtr in = Core::DataInputFile::Create(slot.swapName);
    const uint64_t expected = ExpectedFileSize(g);
    if (in->GetSize() != expected) {
      ZENTOR_THROW_DESC(IOException, "Swap file \"" + slot.swapName + "\" holds " + std::to_string(in->GetSize()) +
                                         " bytes instead of " + std::to_string(expected));
    }
    uint8_t leading[8];
    in->Read(leading, sizeof(leading));
    Proc::DataVideoPtr frame =
        Proc::DataVideoFF::Create(g.pixelFormat, g.width, g.height, g.aspectX, g.aspectY, g.lines);
    Proc::Picture& picture = frame->GetPicture();
    std::vector<uint8_t> scratch;
    for (int n = 0; n < 4; ++n) {
      const int32_t stored = g.lines[n];
      if (stored <= 0) break;
      const uint32_t rows = PlaneRows(g, n);
      const int32_t actual = picture.linesize[n];
      uint8_t* plane = picture.data[n];
      if (!plane || actual <= 0) ZENTOR_THROW_DESC(IOException, "Swap file plane " + std::to_string(n) + " missing");
      if (stored == actual) {
        in->Read(plane, static_cast<size_t>(stored) * rows);
        continue;
      }
      const size_t kept = static_cast<size_t>(std::min(stored, actual));
      if (stored > actual) scratch.resize(static_cast<size_t>(stored - actual));
      for (uint32_t r = 0; r < rows; ++r) {
        in->Read(plane + static_cast<size_t>(r) * actual, kept);
        if (!scratch.empty()) in->Read(scratch.data(), scratch.size());
      }
    }
    slot.frame = frame;
  } catch (...) {
    LOG(ERROR) << CauseText();
    ZENTOR_THROW(IOExceptionTempFolder());
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

void UndoItemBase::DeserializeFrame(const Core::Property& node) {
  if (!node.ChildExists(Conf::IFormatFile::TAG_FILENAME)) return;
  FrameGeometry g;
  g.width = static_cast<uint32_t>(Core::GetValue<long long>(node[Conf::IFormatCodecVideo::TAG_WIDTH]));
  g.height = static_cast<uint32_t>(Core::GetValue<long long>(node[Conf::IFormatCodecVideo::TAG_HEIGHT]));
  g.aspectX = static_cast<uint32_t>(Core::GetValue<long long>(node[Conf::IFormatCodecVideo::TAG_ASPECTX]));
  g.aspectY = static_cast<uint32_t>(Core::GetValue<long long>(node[Conf::IFormatCodecVideo::TAG_ASPECTY]));
  const long long pixelFormat = Core::GetValue<long long>(node[Conf::IFormatCodecVideo::TAG_PIX_FMT]);
  // Only values of the enumeration may become an AVPixelFormat.
  if (pixelFormat < AV_PIX_FMT_NONE || pixelFormat >= AV_PIX_FMT_NB) {
    ZENTOR_THROW_DESC(IOException, "Damaged frame record: unknown pixel format " + std::to_string(pixelFormat));
  }
  g.pixelFormat = static_cast<AVPixelFormat>(pixelFormat);
  const std::string name = Core::GetValue<std::string>(node[Conf::IFormatFile::TAG_FILENAME]);
  const Core::Property& lines = node[Settings::SAVE_PROPERTY_LINESIZES];
  for (int n = 0; n < 4; ++n) g.lines[n] = static_cast<int32_t>(Core::GetValue<long long>(lines[n]));
  const std::string problem = name.empty() ? std::string("no file name") : CheckGeometry(g);
  if (!problem.empty()) ZENTOR_THROW_DESC(IOException, "Damaged frame record: " + problem);

  boost::lock_guard<boost::mutex> lock(slot_->mutex);
  slot_->frame.reset();
  slot_->swapName = name;
  slot_->geometry = g;
}

}  // namespace Glimra
}  // namespace Zentor
