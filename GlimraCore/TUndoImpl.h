// One level of undo steps: the image level (frame information and a mask history per step) and
// the mask level (a rectangle per step).
#pragma once

#include "Core/Interfaces/Property.h"
#include "GlimraCore/Settings.h"
#include "GlimraCore/UndoItem.h"
#include "Proc/Interfaces/CropInfo.h"

#include <boost/format.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace Zentor {
namespace Glimra {

// The lower level of the mask level: none.
struct NoLowerLevel {};

namespace UndoDetail {

inline void WriteInfo(Core::Property& info, const Core::Property& information) {
  if (!information.GetName().empty()) info.SetChild(information.GetName(), information);
}

inline void WriteInfo(Core::Property& info, const Proc::CropInfo& rect) {
  info.CreateChildT(Settings::SAVE_PROPERTY_INFO_LEFT, static_cast<long long>(rect.left));
  info.CreateChildT(Settings::SAVE_PROPERTY_INFO_RIGHT, static_cast<long long>(rect.right));
  info.CreateChildT(Settings::SAVE_PROPERTY_INFO_TOP, static_cast<long long>(rect.top));
  info.CreateChildT(Settings::SAVE_PROPERTY_INFO_BOTTOM, static_cast<long long>(rect.bottom));
}

inline void ReadInfo(const Core::Property& info, Core::Property& information) {
  information = info.Count() > 0 ? info[0] : Core::Property(std::string());
}

inline uint32_t ReadUnsigned(const Core::Property& node) {
  return static_cast<uint32_t>(ReadRecordNumber(node, 0, UINT32_MAX));
}

inline void ReadInfo(const Core::Property& info, Proc::CropInfo& rect) {
  rect.left = ReadUnsigned(info[Settings::SAVE_PROPERTY_INFO_LEFT]);
  rect.right = ReadUnsigned(info[Settings::SAVE_PROPERTY_INFO_RIGHT]);
  rect.top = ReadUnsigned(info[Settings::SAVE_PROPERTY_INFO_TOP]);
  rect.bottom = ReadUnsigned(info[Settings::SAVE_PROPERTY_INFO_BOTTOM]);
}

}  // namespace UndoDetail

template <class Info, class Lower>
class TUndoImpl {
 public:
  using TempNameFunction = std::function<std::string()>;
  static constexpr uint32_t NO_INDEX = 0xFFFFFFFF;

  // One step: its information, its frame (shared between copies of the step) and, at the image
  // level, its mask history.
  class UndoItem : public UndoItemBase {
   public:
    // copy: keep an independent copy of frame rather than frame itself.
    UndoItem(const Info& info, const Proc::DataVideoPtr& frame, std::shared_ptr<Lower> lowerLevel, bool copy = true)
        : UndoItemBase(frame, copy), information(info), lower(std::move(lowerLevel)) {}

    Info information;
    std::shared_ptr<Lower> lower;
  };

  TUndoImpl() = default;
  TUndoImpl(const TUndoImpl&) = delete;
  TUndoImpl& operator=(const TUndoImpl&) = delete;

  virtual bool IsUndoEnabledImpl() const { return index != NO_INDEX && index > 0 && index < steps.size(); }
  virtual bool IsRedoEnabledImpl() const { return index != NO_INDEX && static_cast<size_t>(index) + 1 < steps.size(); }
  virtual void UndoImpl() {
    if (IsUndoEnabledImpl()) --index;
  }
  virtual void RedoImpl() {
    if (IsRedoEnabledImpl()) ++index;
  }
  // Keeps step 0 only; answers whether steps were dropped.
  virtual bool ResetImpl() {
    if (steps.empty()) return false;
    const bool dropped = steps.size() > 1;
    steps.erase(steps.begin() + 1, steps.end());
    index = 0;
    return dropped;
  }
  // Drops the steps after the current one; answers whether there were any.
  virtual bool ResetRedo() {
    if (!IsRedoEnabledImpl()) return false;
    steps.erase(steps.begin() + index + 1, steps.end());
    return true;
  }
  // Bytes of the level's frames in memory.
  virtual uint64_t GetSize() const {
    uint64_t size = 0;
    for (const UndoItem& step : steps) size += step.GetMemorySize();
    return size;
  }
  // Appends the steps of a level record. owner: the session, and at the mask level the image
  // step, the level belongs to.
  virtual void LoadImpl(const Core::Property& node, const SwapPlace& owner) {
    if (node.ChildExists(Settings::SAVE_PROPERTY_INDEX)) {
      index = UndoDetail::ReadUnsigned(node[Settings::SAVE_PROPERTY_INDEX]);
    }
    const Core::Property& items = node[Settings::SAVE_PROPERTY_UNDO_ITEMS];
    for (size_t i = 0; i < items.Count(); ++i) {
      const Core::Property& item = items[i];
      Info information{};
      UndoDetail::ReadInfo(item[Settings::SAVE_PROPERTY_INFO], information);
      std::shared_ptr<Lower> lower;
      if constexpr (!std::is_same_v<Lower, NoLowerLevel>) {
        if (item.ChildExists(Settings::SAVE_PROPERTY_MASK)) {
          lower = std::make_shared<Lower>();
          lower->LoadImpl(item[Settings::SAVE_PROPERTY_MASK], PlaceOf(owner, steps.size()));
        }
      }
      UndoItem step(information, Proc::DataVideoPtr(), lower);
      step.DeserializeFrame(item[Settings::SAVE_PROPERTY_FRAME], PlaceOf(owner, steps.size()));
      steps.push_back(step);
    }
  }
  // Writes the level into node and its frames to swap files: every step in full mode; in swap
  // mode only the steps that need not stay in memory. sync: each file reaches the disk before it
  // counts as written (the session walk only). Returns when every write has ended.
  virtual void SaveImpl(Core::Property& node, const std::string& folder, TempNameFunction tempName,
                        const SwapPlace& owner, bool fullMode, bool sync) const {
    node.CreateChildT(Settings::SAVE_PROPERTY_INDEX, static_cast<long long>(index));
    Core::Property& items = node.SetChild(Settings::SAVE_PROPERTY_UNDO_ITEMS);
    SwapWriter writer(sync);
    uint32_t counter = 0;
    for (uint32_t i = 0; i < steps.size(); ++i) {
      if (!fullMode && StayInMemory(i)) continue;
      const UndoItem& step = steps[i];
      Core::Property record{std::string()};
      UndoDetail::WriteInfo(record.SetChild(Settings::SAVE_PROPERTY_INFO), step.information);
      // Only a frame in memory without a file needs a new name.
      const std::string name = step.NeedsSwapName() ? folder + tempName() : std::string();
      const bool write = step.SaveFrameCheck(name, PlaceOf(owner, i));
      try {
        step.SerializeFrame(record.SetChild(Settings::SAVE_PROPERTY_FRAME));
        if (write) writer.Write(step);
      } catch (...) {
        if (write) step.CancelWrite();
        throw;
      }
      if constexpr (!std::is_same_v<Lower, NoLowerLevel>) {
        if (step.lower) {
          // A failed write of the history does not stop the walk: the other frames still go.
          try {
            step.lower->SaveImpl(record.SetChild(Settings::SAVE_PROPERTY_MASK), folder, tempName, PlaceOf(owner, i),
                                 true, sync);
          } catch (...) {
            writer.RecordFailure(boost::current_exception());
          }
        }
      }
      ++counter;
      record.SetName((boost::format(Settings::SAVE_PROPERTY_UNDO_ITEM) % counter).str());
      items.AppendChild(std::move(record));
    }
    writer.Finish();
  }
  // Whether a swap walk leaves step i in memory.
  virtual bool StayInMemory(uint32_t i) const { return i == index; }
  virtual ~TUndoImpl() = default;

  // A session record names every swap file of the level now: they outlive their steps.
  void KeepSwapFiles() const {
    for (const UndoItem& step : steps) {
      step.KeepSwapFile();
      if constexpr (!std::is_same_v<Lower, NoLowerLevel>) {
        if (step.lower) step.lower->KeepSwapFiles();
      }
    }
  }

  size_t GetStepCount() const { return steps.size(); }
  uint32_t GetIndex() const { return index; }

 protected:
  bool HasCurrent() const { return index != NO_INDEX && index < steps.size(); }
  // The place of step i of a level that belongs to owner.
  static SwapPlace PlaceOf(const SwapPlace& owner, size_t i) {
    SwapPlace place = owner;
    if constexpr (std::is_same_v<Lower, NoLowerLevel>) {
      place.maskStep = static_cast<uint32_t>(i);
    } else {
      place.imageStep = static_cast<uint32_t>(i);
      place.maskStep = SwapPlace::PICTURE;
    }
    return place;
  }

  std::vector<UndoItem> steps;
  uint32_t index = NO_INDEX;
};

}  // namespace Glimra
}  // namespace Zentor
