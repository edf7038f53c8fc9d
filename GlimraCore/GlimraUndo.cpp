#include "GlimraCore/GlimraUndo.h"

#include "Core/Interfaces/Exception.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/IGlimraCore.h"

#include <glog/logging.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace Zentor {
namespace Glimra {

using Proc::CropInfo;
using Proc::DataVideoPtr;

namespace {

// Whether the frame information names effect settings: a child "tagEffectSettings" with a value
// that is not a group, or a group with children.
bool HasEffectSettings(const Core::Property& info) {
  if (info.GetType() != PT_GROUP || !info.ChildExists(IGlimraDrawer::TAG_EFFECT_SETTINGS)) return false;
  const Core::Property& settings = info[IGlimraDrawer::TAG_EFFECT_SETTINGS];
  if (settings.GetType() == PT_NONE) return false;
  return settings.GetType() != PT_GROUP || settings.Count() > 0;
}

size_t FirstNonZero(const uint8_t* row, size_t size) {
  size_t x = 0;
  for (; x + 8 <= size; x += 8) {
    uint64_t word;
    std::memcpy(&word, row + x, 8);
    if (word != 0) break;
  }
  while (x < size && row[x] == 0) ++x;
  return x;
}

// The smallest rectangle around the non-zero bytes of plane 0; false when there are none.
bool FindBounds(const Proc::IDataVideo& mask, CropInfo& bounds) {
  const uint32_t width = mask.GetWidth();
  const uint32_t height = mask.GetHeight();
  if (width < 1 || height < 1) return false;
  bounds = CropInfo{width, 0, height, 0};
  const Proc::Picture& picture = mask.GetPicture();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0];
    const size_t first = FirstNonZero(row, width);
    if (first == width) continue;
    size_t last = width - 1;
    while (row[last] == 0) --last;
    bounds.left = std::min(bounds.left, static_cast<uint32_t>(first));
    bounds.right = std::max(bounds.right, static_cast<uint32_t>(last) + 1);
    bounds.top = std::min(bounds.top, y);
    bounds.bottom = std::max(bounds.bottom, y + 1);
  }
  return !bounds.IsEmpty();
}

bool SameShape(const Proc::IDataVideo& a, const Proc::IDataVideo& b) {
  return a.GetPixelFormat() == b.GetPixelFormat() && a.GetWidth() == b.GetWidth() &&
         a.GetHeight() == b.GetHeight() && a.GetAspectX() == b.GetAspectX() && a.GetAspectY() == b.GetAspectY();
}

DataVideoPtr CreateLike(const Proc::IDataVideo& picture) {
  return Proc::DataVideoFF::Create(picture.GetPixelFormat(), picture.GetWidth(), picture.GetHeight(),
                                   picture.GetAspectX(), picture.GetAspectY());
}

// Bytes per pixel of plane 0 and the colour components among them.
void PixelLayout(AVPixelFormat format, int& bytes, int& components) {
  const Proc::PixelFormatDescription desc = Proc::GetPixelFormatDescription(format);
  bytes = std::max(desc.bytesPerPixel, 1);
  components = std::min(std::max(desc.components, 0), bytes);
}

const Core::Property& EmptySettings() {
  static const Core::Property empty{std::string()};
  return empty;
}

}  // namespace

IGlimraUndo::~IGlimraUndo() = default;

boost::intrusive_ptr<IGlimraUndo> IGlimraUndo::Create(const std::string& folder, const std::string& sessionName,
                                                      TempNameFunction tempName) {
  return boost::intrusive_ptr<IGlimraUndo>(new GlimraUndo(folder, sessionName, std::move(tempName)));
}

GlimraUndo::GlimraUndo(const std::string& folder, const std::string& session, TempNameFunction tempName)
    : folder_(folder), tempName_(std::move(tempName)) {
  owner_.session = SessionKey(session);
  if (!tempName_) ZENTOR_THROW_DESC(GlimraException, "The undo store needs a temporary-name function");
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

GlimraUndo::~GlimraUndo() { LOG(INFO) << "Data size: " << GetSize(); }

long GlimraUndo::Release() const {
  const long left = counter_.Release();
  if (left == 0) delete this;
  return left;
}

MaskUndo* GlimraUndo::CurrentMask() const { return HasCurrent() ? steps[index].lower.get() : nullptr; }

DataVideoPtr GlimraUndo::CurrentPicture() const { return HasCurrent() ? steps[index].GetFrame() : DataVideoPtr(); }

size_t GlimraUndo::GetStepCount() const {
  ReadLock lock(stateMutex_);
  return steps.size();
}

uint32_t GlimraUndo::GetIndex() const {
  ReadLock lock(stateMutex_);
  return index;
}

bool GlimraUndo::IsUndoEnabled() const {
  ReadLock lock(stateMutex_);
  if (!HasCurrent()) return false;
  const MaskUndo* mask = CurrentMask();
  return IsUndoEnabledImpl() || (mask && mask->IsUndoEnabledImpl());
}

bool GlimraUndo::IsRedoEnabled() const {
  ReadLock lock(stateMutex_);
  if (!HasCurrent()) return false;
  const MaskUndo* mask = CurrentMask();
  return IsRedoEnabledImpl() || (mask && mask->IsRedoEnabledImpl());
}

void GlimraUndo::Undo() {
  ChangeLock change(changeMutex_);
  {
    WriteLock lock(stateMutex_);
    if (!HasCurrent()) return;
    MaskUndo* mask = CurrentMask();
    if (mask && mask->IsUndoEnabledImpl()) {
      mask->UndoImpl();
    } else if (IsUndoEnabledImpl()) {
      --index;
      DropPictureCaches();
    } else {
      return;
    }
  }
  FinishChange();
}

void GlimraUndo::Redo() {
  ChangeLock change(changeMutex_);
  {
    WriteLock lock(stateMutex_);
    if (!HasCurrent()) return;
    MaskUndo* mask = CurrentMask();
    if (mask && mask->IsRedoEnabledImpl()) {
      mask->RedoImpl();
    } else if (IsRedoEnabledImpl()) {
      ++index;
      DropPictureCaches();
    } else {
      return;
    }
  }
  FinishChange();
}

bool GlimraUndo::ResetImpl() {
  const bool droppedImages = TUndoImplTop::ResetImpl();
  const bool droppedMasks = !steps.empty() && steps[0].lower && steps[0].lower->ResetImpl();
  return droppedImages || droppedMasks;
}

void GlimraUndo::Reset() {
  ChangeLock change(changeMutex_);
  bool dropped = false;
  {
    WriteLock lock(stateMutex_);
    if (!HasCurrent()) return;
    dropped = ResetImpl();
    DropPictureCaches();
  }
  if (dropped) Notify();
}

GlimraUndo::UndoItem GlimraUndo::MakeStep(const Core::Property& info, const DataVideoPtr& picture,
                                          const DataVideoPtr& mask, bool copy) const {
  if (!picture) ZENTOR_THROW_DESC(GlimraException, "No picture to store");
  auto history = std::make_shared<MaskUndo>(picture->GetWidth(), picture->GetHeight(), mask);
  return UndoItem(info, picture, history, copy);
}

bool GlimraUndo::Push(UndoItem step) {
  // Everything that can fail comes before the level changes.
  uint32_t newIndex = 0;
  if (HasCurrent()) {
    steps.reserve(static_cast<size_t>(index) + 2);
    if (steps[index].lower) steps[index].lower->ResetRedo();
    newIndex = index + 1;
  }
  steps.erase(steps.begin() + std::min<size_t>(newIndex, steps.size()), steps.end());
  steps.push_back(std::move(step));
  index = newIndex;
  return steps.size() > 1;
}

void GlimraUndo::Add(const Core::Property& info, const DataVideoPtr& picture, const DataVideoPtr& mask) {
  AddStep(info, picture, mask, true);
}

void GlimraUndo::AddWithoutCopy(const Core::Property& info, const DataVideoPtr& picture, const DataVideoPtr& mask) {
  AddStep(info, picture, mask, false);
}

void GlimraUndo::AddStep(const Core::Property& info, const DataVideoPtr& picture, const DataVideoPtr& mask,
                         bool copy) {
  ChangeLock change(changeMutex_);
  // A step without effect settings takes the frame information of the loaded picture. The copies
  // are made before the store is locked: queries wait only while the step goes in.
  UndoItem step =
      MakeStep(!steps.empty() && !HasEffectSettings(info) ? steps[0].information : info, picture, mask, copy);
  bool more = false;
  {
    WriteLock lock(stateMutex_);
    more = Push(std::move(step));
    DropPictureCaches();
  }
  if (more) Notify();
  CheckForSize();
}

void GlimraUndo::Set(const Core::Property& info, const DataVideoPtr& picture, const DataVideoPtr& mask) {
  ChangeLock change(changeMutex_);
  UndoItem step = MakeStep(info, picture, mask);
  {
    WriteLock lock(stateMutex_);
    if (!HasCurrent()) {
      Push(std::move(step));
    } else {
      steps[index] = std::move(step);
    }
    DropPictureCaches();
  }
  Notify();
  CheckForSize();
}

DataVideoPtr GlimraUndo::GetVideo() const {
  ReadLock lock(stateMutex_);
  return CurrentPicture();
}

DataVideoPtr GlimraUndo::GetSourceVideo() const {
  ReadLock lock(stateMutex_);
  return steps.empty() ? DataVideoPtr() : steps[0].GetFrame();
}

const Core::Property& GlimraUndo::GetSettings() const {
  // Another thread's change may drop the step right after the lock is let go.
  thread_local Core::Property copy{std::string()};
  ReadLock lock(stateMutex_);
  copy = HasCurrent() ? steps[index].information : EmptySettings();
  return copy;
}

void GlimraUndo::AddMask(const DataVideoPtr& mask) {
  if (!mask) return;
  ChangeLock change(changeMutex_);
  if (!HasCurrent()) return;
  CropInfo rect;
  if (!FindBounds(*mask, rect)) return;
  // The step covers the current selection too, so its undo restores what a shrink removed.
  const MaskUndo* history = CurrentMask();
  const CropInfo current = history ? history->GetInfo() : CropInfo{};
  if (!current.IsEmpty()) {
    rect.left = std::min(rect.left, current.left);
    rect.right = std::max(rect.right, current.right);
    rect.top = std::min(rect.top, current.top);
    rect.bottom = std::max(rect.bottom, current.bottom);
  }
  AddMask(mask, rect);
}

void GlimraUndo::AddMask(const DataVideoPtr& mask, const CropInfo& rect) {
  ChangeLock change(changeMutex_);
  {
    WriteLock lock(stateMutex_);
    MaskUndo* history = CurrentMask();
    if (!history || !history->Push(rect, mask)) return;
    CutRedo();
  }
  FinishChange();
}

DataVideoPtr GlimraUndo::GetMask() const {
  ReadLock lock(stateMutex_);
  const MaskUndo* history = CurrentMask();
  return history ? history->GetMask() : DataVideoPtr();
}

CropInfo GlimraUndo::GetMaskInfo() const {
  ReadLock lock(stateMutex_);
  const MaskUndo* history = CurrentMask();
  return history ? history->GetInfo() : CropInfo{};
}

uint64_t GlimraUndo::GetMaskPixelCount() const {
  ReadLock lock(stateMutex_);
  const MaskUndo* history = CurrentMask();
  return history ? history->GetPixelCount() : 0;
}

void GlimraUndo::ResetMask() {
  ChangeLock change(changeMutex_);
  {
    WriteLock lock(stateMutex_);
    MaskUndo* history = CurrentMask();
    if (!history || !history->Clear()) return;
    CutRedo();
  }
  FinishChange();
}

DataVideoPtr GlimraUndo::GetVideoColor(uint32_t color) {
  ReadLock lock(stateMutex_);
  return ColorFrame(color, CurrentPicture());
}

DataVideoPtr GlimraUndo::ColorFrame(uint32_t color, const DataVideoPtr& picture) {
  boost::lock_guard<boost::mutex> lock(colorMutex_);
  if (color != cachedColor_) {
    colorCache_.reset();
    cachedColor_ = color;
  }
  if (!picture) return DataVideoPtr();
  if (colorCache_ && SameShape(*colorCache_, *picture)) return colorCache_;
  colorCache_.reset();
  DataVideoPtr frame = CreateLike(*picture);
  const Proc::Picture& out = frame->GetPicture();
  const uint32_t width = frame->GetWidth();
  const uint32_t height = frame->GetHeight();
  if (color == 0) {
    std::memset(out.data[0], 0, static_cast<size_t>(out.linesize[0]) * height);
  } else {
    int bytes = 0;
    int components = 0;
    PixelLayout(frame->GetPixelFormat(), bytes, components);
    // One row built pixel by pixel (padding bytes 0), then copied to every row.
    std::vector<uint8_t> row(static_cast<size_t>(width) * bytes, 0);
    for (uint32_t x = 0; x < width; ++x) {
      for (int c = 0; c < components && c < 4; ++c) row[static_cast<size_t>(x) * bytes + c] = (color >> (8 * c)) & 0xFF;
    }
    for (uint32_t y = 0; y < height; ++y) {
      std::memcpy(out.data[0] + static_cast<ptrdiff_t>(y) * out.linesize[0], row.data(), row.size());
    }
  }
  colorCache_ = frame;
  return frame;
}

IGlimraUndo::OverlayParts GlimraUndo::GetOverlayParts(uint32_t color) {
  ReadLock lock(stateMutex_);
  OverlayParts parts;
  parts.picture = CurrentPicture();
  const MaskUndo* history = CurrentMask();
  parts.mask = history ? history->GetMask() : DataVideoPtr();
  if (parts.mask) {
    parts.bounds = history->GetInfo();
    parts.color = ColorFrame(color, parts.picture);
  }
  return parts;
}

DataVideoPtr GlimraUndo::GetVideoCopy() {
  ReadLock state(stateMutex_);
  boost::lock_guard<boost::mutex> lock(copyMutex_);
  if (copyCache_) return copyCache_;
  const DataVideoPtr picture = CurrentPicture();
  if (!picture) return DataVideoPtr();
  copyCache_ = picture->CreateCopy();
  return copyCache_;
}

DataVideoPtr GlimraUndo::GetVideoConv(ConvFunction function) {
  ReadLock state(stateMutex_);
  boost::lock_guard<boost::mutex> lock(convMutex_);
  if (function != cachedConv_) {
    convCache_.reset();
    cachedConv_ = function;
  }
  if (convCache_) return convCache_;
  const DataVideoPtr picture = CurrentPicture();
  if (!picture || !function) return DataVideoPtr();
  DataVideoPtr frame = CreateLike(*picture);
  int bytes = 0;
  int components = 0;
  PixelLayout(picture->GetPixelFormat(), bytes, components);
  const Proc::Picture& in = picture->GetPicture();
  const Proc::Picture& out = frame->GetPicture();
  const uint32_t width = picture->GetWidth();
  const uint32_t height = picture->GetHeight();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* from = in.data[0] + static_cast<ptrdiff_t>(y) * in.linesize[0];
    uint8_t* to = out.data[0] + static_cast<ptrdiff_t>(y) * out.linesize[0];
    for (uint32_t x = 0; x < width; ++x) {
      for (int c = 0; c < bytes; ++c, ++from, ++to) *to = c < components ? function(x, y, c, *from) : 0;
    }
  }
  convCache_ = frame;
  return frame;
}

bool GlimraUndo::IsSaved() const {
  ReadLock lock(stateMutex_);
  const MaskUndo* history = CurrentMask();
  return history && history->IsSaved();
}

void GlimraUndo::SetSaved(bool saved) {
  ChangeLock change(changeMutex_);
  {
    WriteLock lock(stateMutex_);
    MaskUndo* history = CurrentMask();
    if (!history) return;
    history->SetSaved(saved);
    if (saved) {
      // Only the saved state counts as saved: returning to any other step is a change to save.
      for (const UndoItem& step : steps) {
        if (step.lower && step.lower.get() != history) step.lower->SetSaved(false);
      }
    }
  }
  const bool changed = !IsSaved();
  PerformForEachEventHandler(&IDrawerEventHandler::HandleEventChangeToSave, changed);
}

void GlimraUndo::Load(const Core::Property& data) {
  ChangeLock change(changeMutex_);
  {
    WriteLock lock(stateMutex_);
    try {
      if (!data.ChildExists(Settings::SAVE_PROPERTY_INDEX)) {
        ZENTOR_THROW_DESC(IOException, "Damaged undo record: no index");
      }
      LoadImpl(data, owner_);
      if (steps.empty()) ZENTOR_THROW_DESC(IOException, "Damaged undo record: no image step");
      if (index >= steps.size()) ZENTOR_THROW_DESC(IOException, "Damaged undo record: index out of range");
      for (UndoItem& step : steps) {
        if (step.GetSwapName().empty()) ZENTOR_THROW_DESC(IOException, "Damaged undo record: image step without frame");
        const FrameGeometry g = step.GetGeometry();
        if (step.lower) {
          step.lower->Validate(g.width, g.height);
        } else {
          step.lower = std::make_shared<MaskUndo>(g.width, g.height, DataVideoPtr());
        }
      }
    } catch (...) {
      // All or nothing: a refused record leaves the store empty.
      steps.clear();
      index = NO_INDEX;
      throw;
    }
    DropPictureCaches();
  }
  Notify();
}

void GlimraUndo::Save(Core::Property& data) {
  // The walk only reads the steps, and no other change runs meanwhile.
  ChangeLock change(changeMutex_);
  SaveImpl(data, folder_, tempName_, owner_, true, true);
  KeepSwapFiles();
}

uint64_t GlimraUndo::GetSize() const {
  uint64_t size = 0;
  {
    ReadLock lock(stateMutex_);
    for (const UndoItem& step : steps) {
      size += step.GetMemorySize();
      if (step.lower) size += step.lower->GetSize();
    }
  }
  {
    boost::lock_guard<boost::mutex> lock(colorMutex_);
    size += GetFrameSize(colorCache_.get());
  }
  {
    boost::lock_guard<boost::mutex> lock(copyMutex_);
    size += GetFrameSize(copyCache_.get());
  }
  {
    boost::lock_guard<boost::mutex> lock(convMutex_);
    size += GetFrameSize(convCache_.get());
  }
  return size;
}

void GlimraUndo::CheckForSize() {
  ChangeLock change(changeMutex_);
  const uint64_t size = GetSize();
  if (static_cast<double>(size) < static_cast<double>(swapThreshold_)) return;
  LOG(WARNING) << "Memory usage: " << size << ". Swap running";
  {
    boost::lock_guard<boost::mutex> lock(colorMutex_);
    colorCache_.reset();
  }
  {
    boost::lock_guard<boost::mutex> lock(copyMutex_);
    copyCache_.reset();
  }
  {
    boost::lock_guard<boost::mutex> lock(convMutex_);
    convCache_.reset();
  }
  // Without the reader lock: the walk only reads the steps, and no other change runs meanwhile.
  Core::Property scratch{std::string()};
  SaveImpl(scratch, folder_, tempName_, owner_, false, false);
  LOG(INFO) << "Swap done";
}

bool GlimraUndo::HasChange() const {
  ReadLock lock(stateMutex_);
  const MaskUndo* history = CurrentMask();
  if (history && history->GetPixelCount() != 0) return true;
  return HasCurrent() && HasEffectSettings(steps[index].information);
}

void GlimraUndo::Notify() {
  PerformForEachEventHandler(&IDrawerEventHandler::HandleEvent);
  const bool changed = !IsSaved();
  PerformForEachEventHandler(&IDrawerEventHandler::HandleEventChangeToSave, changed);
}

void GlimraUndo::CutRedo() {
  if (HasCurrent()) steps.erase(steps.begin() + index + 1, steps.end());
}

void GlimraUndo::DropPictureCaches() {
  {
    boost::lock_guard<boost::mutex> lock(copyMutex_);
    copyCache_.reset();
  }
  {
    boost::lock_guard<boost::mutex> lock(convMutex_);
    convCache_.reset();
  }
}

void GlimraUndo::FinishChange() {
  try {
    CheckForSize();
  } catch (...) {
    Notify();
    throw;
  }
  Notify();
}

}  // namespace Glimra
}  // namespace Zentor
