// Painting through the engine, masks handed over in memory and the selection resize.
#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/GlimraPainter.h"
#include "GlimraCore/Helpers/IOHelperSave.h"
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

// Makes mask (GRAY8, the picture's size) the whole selection; an empty one clears it (the store
// records no step for an empty rectangle). The store's step covers the current selection too, so
// its undo brings back what the new mask dropped.
void StoreSelection(IGlimraUndo& store, const DataVideoPtr& mask) {
  if (Helpers::IOHelperSave::IsBlankMask(*mask)) {
    store.ResetMask();
  } else {
    store.AddMask(mask);
  }
}

}  // namespace

GlimraCore::PaintPatch GlimraCore::PaintStart(VSize x, VSize y) {
  ThrowIfRunUnderWay("PaintStart");
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
  ThrowIfRunUnderWay("Paint");
  PaintPatch patch = painter->Paint(x, y);
  patch.frame = ToOut(patch.frame);
  return patch;
}

void GlimraCore::PaintStop(VSize x, VSize y) {
  if (!painter || RefusedDuringRun("PaintStop")) return;
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

void GlimraCore::PaintReset() {
  ThrowIfRunUnderWay("PaintReset");
  undoStore->ResetMask();
}

void GlimraCore::SetMask(DataVideoPtr& mask) {
  if (RefusedDuringRun("SetMask")) return;
  try {
    SetMaskImpl(mask, true);
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::SetMaskImpl(DataVideoPtr& mask, bool copy) {
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
  StoreSelection(*undoStore, copy ? mask->CreateCopy() : mask);
}

void GlimraCore::ResizePaintedArea(int direction) {
  if (RefusedDuringRun("ResizePaintedArea")) return;
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
    // Shrunk to nothing, the selection is gone.
    StoreSelection(*undoStore, mask);
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

}  // namespace Glimra
}  // namespace Zentor
