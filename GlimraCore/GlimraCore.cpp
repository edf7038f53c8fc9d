#include "GlimraCore/GlimraCore.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/GlimraPainter.h"
#include "Platform/ComponentHub/CoreManager.h"

#include <glog/logging.h>

#include <algorithm>

namespace Zentor {
namespace Glimra {

using Proc::CropInfo;
using Proc::DataVideoPtr;

namespace {

Proc::OneInputEffectPtr CreateOneInput(const char* classId) {
  Proc::EffectFactoryPtr factory = Core::CoreManager::Instance().GetEffectFactory();
  Proc::OneInputEffectPtr effect = factory->CreateOneInputVideo(classId, Proc::ImplNames::DEFAULT);
  if (!effect) Proc::ThrowEffectCreationFailed(classId, Proc::ImplNames::DEFAULT);
  return effect;
}

Proc::TwoInputEffectPtr CreateTwoInput(const char* classId) {
  Proc::EffectFactoryPtr factory = Core::CoreManager::Instance().GetEffectFactory();
  Proc::TwoInputEffectPtr effect = factory->CreateTwoInputVideo(classId, Proc::ImplNames::DEFAULT);
  if (!effect) Proc::ThrowEffectCreationFailed(classId, Proc::ImplNames::DEFAULT);
  return effect;
}

}  // namespace

IGlimraCore::~IGlimraCore() = default;

boost::intrusive_ptr<IGlimraCore> IGlimraCore::Create(const Initializer& initializer) {
  if (!initializer.statisticsHandler) {
    ZENTOR_THROW_DESC(GlimraException, "The engine needs a statistics handler");
  }
  if (!initializer.tempNameGenerator) {
    ZENTOR_THROW_DESC(GlimraException, "The engine needs a temporary-name function");
  }
  // A throwing constructor frees the memory; the members built so far release themselves.
  return boost::intrusive_ptr<IGlimraCore>(new GlimraCore(initializer));
}

GlimraCore::GlimraCore(const Initializer& initializer)
    : version(initializer.version),
      sessionId(initializer.sessionId),
      filePath(initializer.filePath),
      tempFolder(NormalizeFolder(initializer.tempFolder)),
      tempNameGenerator(initializer.tempNameGenerator) {
  outputConverter = CreateOneInput(Proc::IColorSpaceConverter::CLASS_ID);
  workingConverter = CreateOneInput(Proc::IColorSpaceConverter::CLASS_ID);
  blender = CreateTwoInput(Proc::IBlend::CLASS_ID);
  alphaExtractor = CreateOneInput(Proc::IExtraAlphaExtractor::CLASS_ID);
  alphaInserter = CreateTwoInput(Proc::IAlphaInserter::CLASS_ID);

  progressController = Core::ProgressControllerStub::Create();

  outputConverter->SetSettings(Proc::IColorSpaceConverter::MakeSettings({AV_PIX_FMT_ARGB}));
  Core::Property working = Proc::IColorSpaceConverter::MakeSettings({AV_PIX_FMT_RGB24, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGR0});
  working.SetChildT(Proc::IColorSpaceConverter::HAZ_ALPHA, true);
  workingConverter->SetSettings(working);

  LoadSession();

  StatisticsHandlerList::RegisterEventHandler(initializer.statisticsHandler);
}

GlimraCore::~GlimraCore() {
  StopAndWaitForRun();
  // A late cancel of the outer controller must not reach this object.
  try {
    if (progressController) progressController->SetClient(nullptr);
  } catch (...) {
    LOG(WARNING) << "The progress controller refused to forget the engine";
  }
}

long GlimraCore::Release() const {
  const long left = counter_.Release();
  if (left == 0) {
    // A run still under way uses the object through its virtual operations: it ends before the
    // destruction starts.
    const_cast<GlimraCore*>(this)->StopAndWaitForRun();
    delete this;
  }
  return left;
}

void GlimraCore::RaiseToCoreHandlers() {
  const boost::exception_ptr error = boost::current_exception();
  CoreHandlerList::PerformForEachEventHandler(&ICoreEventHandler::Throw, error);
}

DataVideoPtr GlimraCore::ToOut(const DataVideoPtr& frame) const {
  if (!frame) return frame;
  DataVideoPtr converted = frame;
  outputConverter->Process(converted);
  return converted;
}

void GlimraCore::SetOutputColorSpace(const Core::Property& settings) { outputConverter->SetSettings(settings); }

const Core::Property& GlimraCore::GetMetadata() const {
  if (!metadata) ZENTOR_THROW_DESC(GlimraException, "No metadata");
  return metadata->GetMetadata();
}

DataVideoPtr GlimraCore::GetThumbnail() const { return DataVideoPtr(); }

void GlimraCore::SetProgressController(const Core::ProgressControllerPtr& controller) {
  if (!controller) ZENTOR_THROW_DESC(GlimraException, "The progress controller must not be null");
  progressController = controller;
  controller->SetClient(this);
}

Core::Property GlimraCore::GetStatistic() const {
  Core::Property result = Core::MakeStatistics("GetStatistic", 0, effectCount.load());
  result.Add(Core::MakeStatistics("GetStatistic", 0, videoCount.load()));
  result.Add(outputConverter->GetStatistic());
  {
    // A run's thread may be converting its result meanwhile.
    std::lock_guard<std::mutex> lock(workingConverterMutex);
    result.Add(workingConverter->GetStatistic());
  }
  result.Add(blender->GetStatistic());
  result.Add(alphaExtractor->GetStatistic());
  if (maskConverter) result.Add(maskConverter->GetStatistic());
  return result;
}

void GlimraCore::RegisterCoreEventHandler(ICoreEventHandler* handler) {
  if (!handler) ZENTOR_THROW_DESC(GlimraException, "A core handler must not be null");
  CoreHandlerList::RegisterEventHandler(handler);
}

void GlimraCore::RegisterDrawerEventHandler(IDrawerEventHandler* handler) {
  if (!handler) ZENTOR_THROW_DESC(GlimraException, "A drawer handler must not be null");
  undoStore->RegisterEventHandler(handler);
  const bool changed = !undoStore->IsSaved();
  undoStore->PerformForEachEventHandler(&IDrawerEventHandler::HandleEventChangeToSave, changed);
}

void GlimraCore::SaveSession() {
  ThrowIfRunUnderWay("SaveSession");
  SaveSessionImpl();
}

void GlimraCore::SetBrush(const Core::Property& settings) {
  brushSettings = settings;
  brush = GlimraBrush::Create(settings);
}

void GlimraCore::SetBrush(const DataVideoPtr& stamp) { brush = GlimraBrush::Create(stamp); }

void GlimraCore::PaintInit(const Core::Property& settings) { paintSettings = settings; }

bool GlimraCore::HasChange() const { return undoStore->HasChange(); }

DataVideoPtr GlimraCore::GetVideo() {
  ++videoCount;
  try {
    if (painter) {
      const DataVideoPtr stroke = painter->GetVideo();
      if (stroke) return ToOut(stroke);
    }
    // Picture, mask and bounds of one state: an effect run may store its step meanwhile.
    const IGlimraUndo::OverlayParts parts = undoStore->GetOverlayParts(SELECTION_COLOR);
    if (parts.mask) {
      return ToOut(GlimraPainterImpl::BlendImpl(parts.picture, parts.mask, parts.bounds, blender, alphaExtractor,
                                                alphaInserter, parts.color, 0, 0));
    }
    return ToOut(parts.picture);
  } catch (...) {
    RaiseToCoreHandlers();
  }
  return DataVideoPtr();
}

// The blend is bound to the selection's bounds, as a stroke's patch is, so showing a selection on
// a large picture copies no more of it than the selection covers.
IGlimraDrawer::VideoParts GlimraCore::GetVideoParts() {
  ++videoCount;
  VideoParts shown;
  try {
    if (painter) {
      const DataVideoPtr stroke = painter->GetVideo();
      if (stroke) {
        shown.picture = ToOut(stroke);
        return shown;
      }
    }
    const IGlimraUndo::OverlayParts parts = undoStore->GetOverlayParts(SELECTION_COLOR);
    if (!parts.picture) return shown;
    CropInfo area = parts.bounds;
    if (parts.mask) {
      area.right = std::min({area.right, parts.picture->GetWidth(), parts.mask->GetWidth()});
      area.bottom = std::min({area.bottom, parts.picture->GetHeight(), parts.mask->GetHeight()});
    }
    if (parts.mask && !area.IsEmpty()) {
      const uint32_t width = area.right - area.left;
      const uint32_t height = area.bottom - area.top;
      auto within = [&](const DataVideoPtr& frame) {
        DataVideoPtr view = frame->CreateView();
        view->Limit(area.left, area.top, width, height);
        return view;
      };
      shown.selection.frame =
          ToOut(GlimraPainterImpl::BlendImpl(within(parts.picture), within(parts.mask), CropInfo{0, width, 0, height},
                                             blender, alphaExtractor, alphaInserter, within(parts.color), 0, 0));
      shown.selection.left = area.left;
      shown.selection.right = area.right;
      shown.selection.top = area.top;
      shown.selection.bottom = area.bottom;
    }
    shown.picture = ToOut(parts.picture);
  } catch (...) {
    RaiseToCoreHandlers();
    return VideoParts();
  }
  return shown;
}

const Core::Property& GlimraCore::GetSettings() const { return undoStore->GetSettings(); }

bool GlimraCore::IsUndoEnabled() const { return undoStore->IsUndoEnabled(); }

bool GlimraCore::IsRedoEnabled() const { return undoStore->IsRedoEnabled(); }

bool GlimraCore::RefusedDuringRun(const char* operation) const {
  if (!IsRunUnderWay()) return false;
  LOG(WARNING) << operation << " refused: an effect is running";
  return true;
}

void GlimraCore::ThrowIfRunUnderWay(const char* operation) const {
  if (RefusedDuringRun(operation)) ZENTOR_THROW_DESC(GlimraException, EFFECT_RUNNING);
}

void GlimraCore::Undo() {
  if (RefusedDuringRun("Undo")) return;
  try {
    undoStore->Undo();
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::Redo() {
  if (RefusedDuringRun("Redo")) return;
  try {
    undoStore->Redo();
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::Reset() {
  if (RefusedDuringRun("Reset")) return;
  try {
    undoStore->Reset();
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::Notify(NotifyEvent event) {
  if (event == EVENT_STOPPED || event == EVENT_FAILED) progressController->Notify(event);
}

void GlimraCore::SetMaximum(int maximum) {
  progressValue = 0;
  progressMaximum = maximum;
  progressController->SetMaximum(maximum);
}

void GlimraCore::SetProgress(int progress) {
  progressValue = progress;
  progressController->SetProgress(progress);
}

void GlimraCore::IncProgress(int step) {
  progressValue += step;
  progressController->IncProgress(step);
}

bool GlimraCore::CheckForStop() const { return stopRequested.load() != 0; }

void GlimraCore::SetClient(Core::IProgressControllerClient*) {}

void GlimraCore::Stop(bool stop) {
  // Returns at once, also while a run stores its step: the outcome tells whether it was stored.
  if (stop) SetStopPromise(EVENT_STOPPED);
}

void GlimraCore::SetStopPromise(NotifyEvent event) {
  std::lock_guard<std::mutex> lock(stopPromiseMutex);
  if (!stopPromise || runOutcome != 0) return;  // the first outcome stays
  if (runCommitting && event == EVENT_STOPPED) return;  // the step is being stored
  stopPromise->set_value(event);
  runOutcome = event;
}

void GlimraCore::RunStarted() {
  std::lock_guard<std::mutex> lock(runMutex);
  ++runActive;
}

void GlimraCore::RunEnded() {
  std::lock_guard<std::mutex> lock(runMutex);
  --runActive;
  runEnded.notify_all();
}

void GlimraCore::StopAndWaitForRun() {
  std::unique_lock<std::mutex> lock(runMutex);
  if (runActive == 0) return;
  LOG(WARNING) << "Engine released during an effect run: stopping it";
  stopRequested = 1;
  lock.unlock();
  SetStopPromise(EVENT_STOPPED);
  lock.lock();
  runEnded.wait(lock, [this] { return runActive == 0; });
}

}  // namespace Glimra
}  // namespace Zentor
