#include "GlimraCore/MaskUndo.h"

#include "Core/Interfaces/Exception.h"
#include "GlimraCore/GlimraExceptions.h"

#include <glog/logging.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace Zentor {
namespace Glimra {

using Proc::CropInfo;
using Proc::DataVideoPtr;

namespace {

// An independent copy of the frame's content inside rect.
DataVideoPtr CopyRect(const DataVideoPtr& frame, const CropInfo& rect) {
  DataVideoPtr view = frame->CreateView();
  view->Limit(rect.left, rect.top, rect.Width(), rect.Height());
  return view->CreateCopy();
}

void CheckMaskFrame(const Proc::IDataVideo& mask, uint32_t width, uint32_t height) {
  if (mask.GetPixelFormat() != AV_PIX_FMT_GRAY8 || mask.GetWidth() != width || mask.GetHeight() != height) {
    ZENTOR_THROW(IncorrectSizeSelectionException());
  }
}

bool Inside(const CropInfo& rect, uint32_t width, uint32_t height) {
  return !rect.IsEmpty() && rect.right <= width && rect.bottom <= height;
}

// Count of non-zero bytes, eight at a time.
uint64_t CountNonZero(const uint8_t* row, size_t size) {
  constexpr uint64_t LOW7 = 0x7F7F7F7F7F7F7F7FULL;
  uint64_t count = 0;
  size_t x = 0;
  for (; x + 8 <= size; x += 8) {
    uint64_t word;
    std::memcpy(&word, row + x, 8);
    if (word == 0) continue;
    // High bit of each byte of zeros set exactly for the zero bytes.
    const uint64_t zeros = ~(((word & LOW7) + LOW7) | word | LOW7);
    count += 8 - static_cast<uint64_t>(__builtin_popcountll(zeros));
  }
  for (; x < size; ++x) count += row[x] != 0;
  return count;
}

}  // namespace

MaskUndo::MaskUndo() = default;

MaskUndo::MaskUndo(uint32_t width, uint32_t height, const DataVideoPtr& mask) {
  if (mask) CheckMaskFrame(*mask, width, height);
  steps.emplace_back(CropInfo{0, width, 0, height}, mask, nullptr, true);
  index = 0;
  info_ = GetEmptyInfo();
  if (mask) CheckInfo(steps[0].information);
}

MaskUndo::~MaskUndo() = default;

uint32_t MaskUndo::GetWidth() const { return steps.empty() ? 0 : steps[0].information.right; }

uint32_t MaskUndo::GetHeight() const { return steps.empty() ? 0 : steps[0].information.bottom; }

CropInfo MaskUndo::GetEmptyInfo() const { return CropInfo{GetWidth(), 0, GetHeight(), 0}; }

DataVideoPtr MaskUndo::GetMask() const { return steps.empty() ? DataVideoPtr() : steps[0].GetFrame(); }

CropInfo MaskUndo::Clip(const CropInfo& rect) const {
  CropInfo clipped = rect;
  clipped.right = std::min(clipped.right, GetWidth());
  clipped.bottom = std::min(clipped.bottom, GetHeight());
  return clipped;
}

CropInfo MaskUndo::Grow(const CropInfo& rect) const {
  CropInfo grown = info_;
  if (rect.top != rect.bottom) {
    grown.top = std::min(grown.top, rect.top);
    grown.bottom = std::max(grown.bottom, rect.bottom);
  }
  if (rect.left != rect.right) {
    grown.left = std::min(grown.left, rect.left);
    grown.right = std::max(grown.right, rect.right);
  }
  return grown;
}

void MaskUndo::DropMask() {
  if (!steps.empty()) steps[0].SetFrame(DataVideoPtr());
  pixelCount_ = 0;
  info_ = GetEmptyInfo();
}

bool MaskUndo::Push(const CropInfo& rect, const DataVideoPtr& mask) {
  if (steps.empty()) return false;
  const DataVideoPtr current = GetMask();
  if (!mask && !current) return false;
  CropInfo changed = Clip(rect);
  if (changed.IsEmpty()) return false;
  if (mask) CheckMaskFrame(*mask, GetWidth(), GetHeight());

  DataVideoPtr patch;
  if (mask) {
    if (current) patch = CopyRect(current, changed);
  } else {
    // The removal records the whole selection, so the step's rectangle is its bounds.
    const CropInfo bounds = Clip(info_);
    if (!bounds.IsEmpty()) changed = bounds;
    patch = CopyRect(current, changed);
  }
  steps.reserve(static_cast<size_t>(index) + 2);

  steps[0].SetFrame(mask);
  if (mask) {
    CheckInfo(Grow(changed));
  } else {
    pixelCount_ = 0;
    info_ = GetEmptyInfo();
  }
  ++index;
  steps.erase(steps.begin() + index, steps.end());
  steps.emplace_back(changed, patch, nullptr, false);
  return true;
}

bool MaskUndo::Clear() {
  if (steps.empty() || !GetMask()) return false;
  return Push(info_, DataVideoPtr());
}

void MaskUndo::CheckInfo(const CropInfo& rect) {
  pixelCount_ = 0;
  info_ = GetEmptyInfo();
  if (steps.empty()) return;
  const DataVideoPtr mask = steps[0].GetFrame();
  const CropInfo area = Clip(rect);
  if (mask && !area.IsEmpty()) {
    const Proc::Picture& picture = mask->GetPicture();
    const size_t width = area.Width();
    for (uint32_t y = area.top; y < area.bottom; ++y) {
      const uint8_t* row = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0] + area.left;
      const uint64_t count = CountNonZero(row, width);
      if (count == 0) continue;
      size_t first = 0;
      while (row[first] == 0) ++first;
      size_t last = width - 1;
      while (row[last] == 0) --last;
      pixelCount_ += count;
      info_.left = std::min(info_.left, area.left + static_cast<uint32_t>(first));
      info_.right = std::max(info_.right, area.left + static_cast<uint32_t>(last) + 1);
      info_.top = std::min(info_.top, y);
      info_.bottom = std::max(info_.bottom, y + 1);
    }
  }
  if (pixelCount_ == 0) steps[0].SetFrame(DataVideoPtr());
  LOG(INFO) << "Mask size: " << info_;
  LOG(INFO) << "Mask pixel count: " << pixelCount_;
}

void MaskUndo::SwapStep(const UndoItem& step) {
  // Everything that can fail comes first, so a failure leaves the history as it was.
  const DataVideoPtr patch = step.GetFrame();
  const DataVideoPtr mask = GetMask();
  const CropInfo rect = step.information;
  if (!Inside(rect, GetWidth(), GetHeight()) ||
      (patch && (patch->GetPixelFormat() != AV_PIX_FMT_GRAY8 || patch->GetWidth() != rect.Width() ||
                 patch->GetHeight() != rect.Height()))) {
    ZENTOR_THROW_DESC(IOException, "Mask step does not fit its rectangle");
  }
  const DataVideoPtr newPatch = mask ? CopyRect(mask, rect) : DataVideoPtr();
  DataVideoPtr target = mask;
  if (!target && patch) target = Proc::DataVideoFF::Create(AV_PIX_FMT_GRAY8, GetWidth(), GetHeight(), 1, 1);

  step.SetFrame(newPatch);
  if (patch) {
    Copy(*target, *patch, rect);
    steps[0].SetFrame(target);  // the content changed: no swap file holds it any more
    CheckInfo(Grow(rect));
  } else {
    DropMask();
  }
}

void MaskUndo::UndoImpl() {
  if (!IsUndoEnabledImpl()) return;
  SwapStep(steps[index]);
  --index;
}

void MaskUndo::RedoImpl() {
  if (!IsRedoEnabledImpl()) return;
  SwapStep(steps[index + 1]);
  ++index;
}

bool MaskUndo::ResetImpl() {
  const bool dropped = TUndoImplBottom::ResetImpl();
  DropMask();
  return dropped;
}

bool MaskUndo::StayInMemory(uint32_t) const { return false; }

void MaskUndo::Copy(Proc::IDataVideo& dest, const Proc::IDataVideo& patch, const CropInfo& rect) {
  const uint32_t width = patch.GetWidth();
  const uint32_t height = patch.GetHeight();
  if (static_cast<uint64_t>(rect.left) + width > dest.GetWidth() ||
      static_cast<uint64_t>(rect.top) + height > dest.GetHeight()) {
    ZENTOR_THROW_DESC(IOException, "Mask patch lies outside the mask");
  }
  const Proc::Picture& to = dest.GetPicture();
  const Proc::Picture& from = patch.GetPicture();
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(to.data[0] + static_cast<ptrdiff_t>(rect.top + y) * to.linesize[0] + rect.left,
                from.data[0] + static_cast<ptrdiff_t>(y) * from.linesize[0], width);
  }
}

void MaskUndo::SaveImpl(Core::Property& node, const std::string& folder, TempNameFunction tempName,
                        const SwapPlace& owner, bool fullMode, bool sync) const {
  TUndoImplBottom::SaveImpl(node, folder, std::move(tempName), owner, fullMode, sync);
  node.CreateChildT(Settings::SAVE_PROPERTY_IS_SAVED, saved_);
  UndoDetail::WriteInfo(node.SetChild(Settings::SAVE_PROPERTY_INFO), info_);
  node.CreateChildT(Settings::SAVE_PROPERTY_PIX_COUNT, static_cast<long long>(pixelCount_));
}

void MaskUndo::LoadImpl(const Core::Property& node, const SwapPlace& owner) {
  saved_ = node.ChildExists(Settings::SAVE_PROPERTY_IS_SAVED) &&
           Core::GetValue<bool>(node[Settings::SAVE_PROPERTY_IS_SAVED]);
  UndoDetail::ReadInfo(node[Settings::SAVE_PROPERTY_INFO], info_);
  pixelCount_ = static_cast<uint64_t>(ReadRecordNumber(node[Settings::SAVE_PROPERTY_PIX_COUNT], 0, LLONG_MAX));
  TUndoImplBottom::LoadImpl(node, owner);
}

void MaskUndo::Validate(uint32_t width, uint32_t height) const {
  auto refuse = [](const std::string& why) { ZENTOR_THROW_DESC(IOException, "Damaged mask history: " + why); };
  if (steps.empty()) refuse("no steps");
  if (index >= steps.size()) refuse("index out of range");
  if (steps[0].information != CropInfo{0, width, 0, height}) refuse("mask size differs from the picture");
  for (size_t i = 0; i < steps.size(); ++i) {
    const UndoItem& step = steps[i];
    const CropInfo& rect = step.information;
    if (!Inside(rect, width, height)) refuse("rectangle beyond the picture");
    if (step.GetSwapName().empty()) continue;
    const FrameGeometry g = step.GetGeometry();
    if (g.pixelFormat != AV_PIX_FMT_GRAY8 || g.width != rect.Width() || g.height != rect.Height()) {
      refuse("frame differs from its rectangle");
    }
  }
  const bool noBounds = info_.IsEmpty();
  if (!noBounds && (info_.right > width || info_.bottom > height)) refuse("bounds beyond the picture");
  if (pixelCount_ > static_cast<uint64_t>(width) * height) refuse("pixel count too large");
}

}  // namespace Glimra
}  // namespace Zentor
