// Painting through the engine, masks handed over in memory and the selection resize.
#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/GlimraPainter.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IEffectMorphology.h"

#include <glog/logging.h>

#include <algorithm>
#include <cstring>

namespace Zentor {
namespace Glimra {

using Proc::DataVideoPtr;

namespace {

bool NeedsBrush(const std::string& type) {
  return type == IGlimraDrawer::SEL_BRUSH || type == IGlimraDrawer::SEL_ERASER || type == IGlimraDrawer::SEL_WAND ||
         type == IGlimraDrawer::PAINT_CLONE;
}

// Bounds of the non-zero bytes of a GRAY8 mask; {W, 0, H, 0} when there is none.
Proc::CropInfo MaskBounds(const Proc::IDataVideo& mask) {
  const uint32_t width = mask.GetWidth();
  const uint32_t height = mask.GetHeight();
  Proc::CropInfo rect{width, 0, height, 0};
  const auto& picture = mask.GetPicture();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = picture.data[0] + ptrdiff_t(y) * picture.linesize[0];
    uint32_t first = 0;
    while (first < width && row[first] == 0) ++first;
    if (first == width) continue;
    uint32_t last = width;
    while (row[last - 1] == 0) --last;
    rect.left = std::min(rect.left, first);
    rect.right = std::max(rect.right, last);
    rect.top = std::min(rect.top, y);
    rect.bottom = y + 1;
  }
  return rect;
}

}  // namespace

GlimraCore::PaintPatch GlimraCore::PaintStart(VSize x, VSize y) {
  if (Core::IsEmptyProperty(paintSettings)) {
    ZENTOR_THROW_DESC(PainterException, "Painter was not initialized yet");
  }
  if (!brush && paintSettings.GetName() == IGlimraDrawer::CLASS_ID &&
      paintSettings.ChildExists(IGlimraDrawer::TAG_PAINT_TYPE) &&
      NeedsBrush(Core::PropertyValueToString(paintSettings[IGlimraDrawer::TAG_PAINT_TYPE]))) {
    ZENTOR_THROW_DESC(PainterException, "Brush was not initialized yet");
  }
  // The old painter of a stroke that was not stopped goes only once the new one exists.
  painter = GlimraPainterImpl::Create(paintSettings, brush, undoStore, blender, alphaExtractor, alphaInserter);
  PaintPatch patch = painter->Paint(x, y);
  patch.frame = ToOut(patch.frame);
  return patch;
}

GlimraCore::PaintPatch GlimraCore::Paint(VSize x, VSize y) {
  if (!painter) return PaintPatch();
  PaintPatch patch = painter->Paint(x, y);
  patch.frame = ToOut(patch.frame);
  return patch;
}

void GlimraCore::PaintStop(VSize x, VSize y) {
  if (!painter) return;
  try {
    painter->Paint(x, y);
    painter->Save();
    const std::string type = Core::GetValue<std::string>(paintSettings[IGlimraDrawer::TAG_PAINT_TYPE]);
    if (std::find(reportedPaintTypes.begin(), reportedPaintTypes.end(), type) == reportedPaintTypes.end()) {
      const IStatisticsEventHandler::StringParameters parameters{{IStatisticsEventHandler::KEY_TOOL_TYPE, type}};
      StatisticsHandlerList::PerformForEachEventHandler(&IStatisticsEventHandler::TrackEventString,
                                                        IStatisticsEventHandler::NAME_TOOL_SELECT, parameters);
      reportedPaintTypes.push_back(type);
    }
  } catch (...) {
    RaiseToCoreHandlers();
  }
  painter.reset();
}

bool GlimraCore::HasPaintedArea() const { return undoStore->GetMaskPixelCount() != 0; }

void GlimraCore::PaintReset() { undoStore->ResetMask(); }

void GlimraCore::SetMask(DataVideoPtr& mask) {
  try {
    if (!mask) ZENTOR_THROW_DESC(IncorrectSizeSelectionException, "No selection was given.");
    if (!maskConverter) {
      Proc::OneInputEffectPtr converter = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
          Proc::IColorSpaceConverter::CLASS_ID, Proc::ImplNames::DEFAULT);
      converter->SetSettings(Proc::IColorSpaceConverter::MakeSettings({AV_PIX_FMT_GRAY8}));
      maskConverter = converter;
    }
    maskConverter->Process(mask);
    const DataVideoPtr frame = undoStore->GetVideo();
    if (!frame || !mask || mask->GetHeight() != frame->GetHeight() || mask->GetWidth() != frame->GetWidth()) {
      ZENTOR_THROW(IncorrectSizeSelectionException());
    }
    // The caller keeps its handle: the store gets a frame of its own.
    const DataVideoPtr stored = mask->CreateCopy();
    const Proc::CropInfo bounds = MaskBounds(*stored);
    if (bounds.left >= bounds.right) {
      // An empty mask means no selection (the store records no step for an empty rectangle).
      undoStore->ResetMask();
    } else {
      undoStore->AddMask(stored, bounds);
    }
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::ResizePaintedArea(int direction) {
  try {
    // A handle of its own: the effect puts its result there, the stored mask stays as it is.
    DataVideoPtr mask = undoStore->GetMask();
    if (!mask) ZENTOR_THROW(TooSmallSelectionException());
    Core::Property preset(Proc::IEffectMorphology::CLASS_ID);
    preset.SetChildT(Proc::IEffectMorphology::OPERATION,
                     std::string(direction > 0 ? Proc::IEffectMorphology::DILATE : Proc::IEffectMorphology::ERODE));
    Proc::OneInputEffectPtr effect = Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(
        preset.GetName(), Proc::ImplNames::DEFAULT);
    effect->SetSettings(preset);
    const DataVideoPtr stored = mask;
    effect->Process(mask);
    if (!mask) ZENTOR_THROW_DESC(GlimraException, "The selection could not be resized");
    if (mask.get() == stored.get()) {
      // An implementation that worked in place: the stored step must not change behind the history.
      LOG(WARNING) << "Selection resize returned the stored mask";
      return;
    }
    const Proc::CropInfo bounds = MaskBounds(*mask);
    if (bounds.left >= bounds.right) {
      // Shrunk to nothing: the selection is gone.
      undoStore->ResetMask();
    } else {
      undoStore->AddMask(mask);
    }
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

}  // namespace Glimra
}  // namespace Zentor
