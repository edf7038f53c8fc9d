// The selection history of one image step: the whole mask once (step 0), then one patch per change.
#pragma once

#include "GlimraCore/Export.h"
#include "GlimraCore/TUndoImpl.h"

namespace Zentor {
namespace Glimra {

using TUndoImplBottom = TUndoImpl<Proc::CropInfo, NoLowerLevel>;

class GLIMRA_CORE_API MaskUndo : public TUndoImplBottom {
 public:
  // An empty history, to be filled by LoadImpl.
  MaskUndo();
  // A history of a width x height picture whose mask (GRAY8, may be null) is copied.
  // A mask of another size or format raises IncorrectSizeSelectionException.
  MaskUndo(uint32_t width, uint32_t height, const Proc::DataVideoPtr& mask);
  ~MaskUndo() override;

  // Records the change of the rectangle to the new whole mask (kept itself, not copied), or the
  // removal of the mask when mask is null. Answers whether a step was recorded.
  bool Push(const Proc::CropInfo& rect, const Proc::DataVideoPtr& mask);
  // Records the removal of the whole mask; false when there is none.
  bool Clear();
  // Recounts bounds and pixel count inside rect, which covers every non-zero byte.
  void CheckInfo(const Proc::CropInfo& rect);
  // The whole picture turned inside out: {width, 0, height, 0}.
  Proc::CropInfo GetEmptyInfo() const;

  void UndoImpl() override;
  void RedoImpl() override;
  bool ResetImpl() override;
  void LoadImpl(const Core::Property& node, const SwapPlace& owner) override;
  void SaveImpl(Core::Property& node, const std::string& folder, TempNameFunction tempName, const SwapPlace& owner,
                bool fullMode, bool sync) const override;
  bool StayInMemory(uint32_t i) const override;

  // Writes patch into dest with its top-left corner at (rect.left, rect.top).
  static void Copy(Proc::IDataVideo& dest, const Proc::IDataVideo& patch, const Proc::CropInfo& rect);

  // The current mask (step 0), read back when swapped out; null when there is none.
  Proc::DataVideoPtr GetMask() const;
  Proc::CropInfo GetInfo() const { return info_; }
  uint64_t GetPixelCount() const { return pixelCount_; }
  bool IsSaved() const { return saved_; }
  void SetSaved(bool saved) { saved_ = saved; }
  // The picture size step 0 covers.
  uint32_t GetWidth() const;
  uint32_t GetHeight() const;
  // Refuses a loaded history whose records do not fit a width x height picture (IOException).
  void Validate(uint32_t width, uint32_t height) const;

 private:
  Proc::CropInfo Clip(const Proc::CropInfo& rect) const;
  Proc::CropInfo Grow(const Proc::CropInfo& rect) const;
  void DropMask();
  void SwapStep(const UndoItem& step);

  bool saved_ = false;
  Proc::CropInfo info_;
  uint64_t pixelCount_ = 0;
};

}  // namespace Glimra
}  // namespace Zentor
