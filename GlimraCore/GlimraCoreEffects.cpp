// Effect runs: the settings tree, the preparation table, the control and work threads, statistics.
#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"
#include "GlimraCore/GlimraCore.h"
#include "GlimraCore/GlimraExceptions.h"
#include "GlimraCore/Helpers/FramePrepare.h"
#include "GlimraCore/Helpers/StatisticsHelper.h"
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Interfaces/IBlend.h"
#include "Proc/Interfaces/IEffectBlur.h"
#include "Proc/Interfaces/IEffectCrop.h"
#include "Proc/Interfaces/IEffectGrayscale.h"
#include "Proc/Interfaces/IEffectInpaint.h"
#include "Proc/Interfaces/IEffectMagicEnhance.h"
#include "Proc/Interfaces/IFlip.h"
#include "Proc/Interfaces/IResize.h"
#include "Proc/Interfaces/IRotate.h"

#include <boost/exception/diagnostic_information.hpp>
#include <boost/thread/thread.hpp>
#include <glog/logging.h>

#include <chrono>
#include <thread>

namespace Zentor {
namespace Glimra {

using Proc::DataVideoPtr;
using namespace Helpers;

// After the engine's words (Constants.cpp), which the rows copy.
const GlimraCore::HelpersFactory GlimraCore::s_helpersFactory __attribute__((init_priority(1100))){
    {Proc::IRotate::CLASS_ID, {&CommonHelper::PrepareFramesCommon, CommonHelper::APPLY_WITH_MASK, true}},
    {Proc::IResize::CLASS_ID, {&ResizeHelper::PrepareFrames, CommonHelper::APPLY_WITH_MASK, true}},
    {Proc::IFlip::CLASS_ID, {&CommonHelper::PrepareFramesCommon, CommonHelper::APPLY_WITH_MASK, true}},
    {Proc::IEffectMagicEnhance::CLASS_ID, {&CommonHelper::PrepareFramesCommon, CommonHelper::APPLY_AND_SET_MASK, true}},
    {Proc::IEffectBlur::CLASS_ID, {&CommonHelper::PrepareFramesCommon, CommonHelper::APPLY_AND_SET_MASK, true}},
    {Proc::IEffectCrop::CLASS_ID, {&CropHelper::PrepareFrames, CommonHelper::APPLY_WITH_MASK, true}},
    {Proc::IEffectGrayscale::CLASS_ID, {&CommonHelper::PrepareFramesCommon, CommonHelper::APPLY_AND_SET_MASK, true}},
    {Proc::IBlend::CLASS_ID, {&BlendHelper::PrepareFrames, std::string(), true}},
    {Proc::IEffectInpaint::CLASS_ID, {&InpaintHelper::PrepareFrames, std::string(), false}},
};

namespace {

std::string ClassIdOf(const Core::Property& preset) {
  if (preset.GetType() != PT_GROUP || !preset.ChildExists(Conf::IPreset::KEY_CLASS_ID)) return std::string();
  return Core::GetValue<std::string>(preset[Conf::IPreset::KEY_CLASS_ID]);
}

bool BoolChild(const Core::Property& node, const std::string& name) {
  return node.ChildExists(name) && Core::GetValue<bool>(node[name]);
}

// Effects of these classes put their result in a frame of their own and only read their input, so
// they may be handed the stored picture and mask without a copy.
bool WritesNewFrame(const std::string& classId) {
  static const char* const classes[] = {Proc::IRotate::CLASS_ID,          Proc::IResize::CLASS_ID,
                                        Proc::IFlip::CLASS_ID,            Proc::IEffectCrop::CLASS_ID,
                                        Proc::IEffectMagicEnhance::CLASS_ID, Proc::IEffectGrayscale::CLASS_ID,
                                        Proc::IEffectInpaint::CLASS_ID,   Proc::IEffectBlur::CLASS_ID};
  for (const char* known : classes) {
    if (classId == known) return true;
  }
  return false;
}

// What the effects of a run see as their progress controller: it forwards to the engine without
// holding a reference to it (the engine outlives every run).
class RunProgress : public RefCounted<Core::IProgressController> {
 public:
  explicit RunProgress(Core::IProgressController& engine) : engine_(engine) {}
  void Notify(NotifyEvent event) override { engine_.Notify(event); }
  void SetMaximum(int maximum) override { engine_.SetMaximum(maximum); }
  void SetProgress(int progress) override { engine_.SetProgress(progress); }
  void IncProgress(int step) override { engine_.IncProgress(step); }
  bool CheckForStop() const override { return engine_.CheckForStop(); }
  void SetClient(Core::IProgressControllerClient*) override {}

 private:
  Core::IProgressController& engine_;
};

// The text of the exception being handled, for the error statistics.
std::string CurrentErrorText() {
  try {
    throw;
  } catch (const Zentor::Exception& e) {
    if (const std::string* text = boost::get_error_info<TagDescription>(e)) return *text;
    return boost::diagnostic_information(e);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return boost::current_exception_diagnostic_information();
  }
}

}  // namespace

Core::Property GlimraCore::PrepareFrameInfo(const Core::Property& preset, const Core::Property& frameInfo) {
  Core::Property result = frameInfo;
  if (result.GetType() != PT_GROUP) result = Core::Property(result.GetName());
  if (result.ChildExists(IGlimraDrawer::TAG_EFFECT_SETTINGS)) result.RemoveChild(IGlimraDrawer::TAG_EFFECT_SETTINGS);
  if (Core::IsEmptyProperty(preset)) return result;
  Core::Property& effect = result.SetChild(IGlimraDrawer::TAG_EFFECT_SETTINGS);
  effect.SetChild(IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE).Add(preset);
  effect.SetChild(IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER);
  return result;
}

Core::Property GlimraCore::PrepareFrames(DataVideoPtr& first, DataVideoPtr& second, const Core::Property& preset) {
  Core::Property info = PrepareFrameInfo(preset, undoStore->GetSettings());
  if (Core::IsEmptyProperty(preset)) return info;
  const auto row = s_helpersFactory.find(ClassIdOf(preset));
  if (row != s_helpersFactory.end()) {
    row->second.prepare(timer, undoStore, first, second, info, row->second.mode);
  } else {
    second.reset();
  }
  return info;
}

void GlimraCore::ApplyEffect(const Core::Property& settings, bool wait) {
  // A run under way owns the undo store until its outcome is out: nothing else touches it.
  if (busy.load() != 0 || runInFlight.load() != 0) {
    LOG(INFO) << "Effect request ignored: another effect is running";
    return;
  }
  undoStore->CheckForSize();
  if (Core::IsEmptyProperty(settings)) {
    DataVideoPtr source = undoStore->GetSourceVideo();
    DataVideoPtr none;
    const Core::Property info = PrepareFrames(source, none, settings);
    undoStore->Add(info, source, DataVideoPtr());
    return;
  }
  const std::string classId = ClassIdOf(settings);
  // Refused on the caller's thread: without a class id there is no effect to run.
  if (classId.empty()) ZENTOR_THROW_DESC(GlimraException, "The effect settings name no effect");
  const auto row = s_helpersFactory.find(classId);
  const bool join = wait || row == s_helpersFactory.end() || row->second.synchronous;

  stopRequested = 0;
  busy = 1;
  runInFlight = 1;
  {
    // Published before any thread starts: a stop or an early outcome is never lost.
    std::lock_guard<std::mutex> lock(stopPromiseMutex);
    runPromise = std::make_unique<boost::promise<NotifyEvent>>();
    runFuture = runPromise->get_future();
    stopPromise = runPromise.get();
    runOutcome = 0;
    runCommitting = false;
  }
  RunStarted();
  boost::thread control;
  try {
    Core::Property copy = settings;
    control = boost::thread([this, copy] { ProcessCtrl(copy); });
  } catch (...) {
    LOG(ERROR) << "The effect run could not start";
    {
      std::lock_guard<std::mutex> lock(stopPromiseMutex);
      stopPromise = nullptr;
      runPromise.reset();
      runFuture = boost::unique_future<NotifyEvent>();
      runOutcome = EVENT_FAILED;
    }
    busy = 0;
    runInFlight = 0;
    try {
      RaiseToCoreHandlers();
      progressController->Notify(EVENT_FAILED);
    } catch (...) {
      LOG(WARNING) << "The failed start could not be reported";
    }
    RunEnded();
    return;
  }
  if (join) {
    control.join();
  } else {
    control.detach();
  }
}

void GlimraCore::ProcessCtrl(const Core::Property& settings) {
  const std::string classId = ClassIdOf(settings);
  LOG(INFO) << classId << " started";
  boost::thread work;
  try {
    work = boost::thread([this, settings] { ProcessImpl(settings); });
  } catch (...) {
    LOG(ERROR) << classId << ": the work thread could not start";
    busy = 0;
    SetStopPromise(EVENT_FAILED);
    try {
      RaiseToCoreHandlers();
    } catch (...) {
      LOG(WARNING) << "A core handler failed";
    }
  }
  const NotifyEvent outcome = WaitForProcessImpl();
  LOG(INFO) << classId << " result: " << int(outcome) << ", max: " << progressMaximum.load()
            << ", value: " << progressValue.load();
  if (outcome == EVENT_STOPPED) {
    stopRequested = 1;
    for (int count = 1; busy.load() != 0; ++count) {
      if (count == 11) {
        work.interrupt();
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  if (work.joinable()) work.join();
  busy = 0;
  runInFlight = 0;
  try {
    progressController->Notify(outcome);
  } catch (...) {
    LOG(WARNING) << "The progress controller refused the outcome";
  }
  RunEnded();
}

GlimraCore::NotifyEvent GlimraCore::WaitForProcessImpl() {
  const NotifyEvent outcome = runFuture.get();
  std::lock_guard<std::mutex> lock(stopPromiseMutex);
  stopPromise = nullptr;
  runPromise.reset();
  runFuture = boost::unique_future<NotifyEvent>();
  return outcome;
}

void GlimraCore::ProcessImpl(const Core::Property& settings) {
  // busy falls on every way out: the control thread's stop wait polls it.
  struct BusyGuard {
    std::atomic<int32_t>& flag;
    ~BusyGuard() { flag = 0; }
  } guard{busy};

  bool ok = false;
  bool failed = false;
  std::string errorText;
  try {
    ok = ProcessTry(settings);
  } catch (const boost::thread_interrupted&) {
    // An interruption after the stop wait counts as the cancel it answers.
    SetStopPromise(EVENT_STOPPED);
  } catch (...) {
    failed = true;
    SetStopPromise(EVENT_FAILED);
    try {
      errorText = CurrentErrorText();
      RaiseToCoreHandlers();
    } catch (...) {
      LOG(WARNING) << "A core handler failed";
    }
  }
  // Statistics never decide a run's outcome.
  try {
    if (failed) {
      SendStatApplyEffectError(settings, errorText);
    } else {
      SendStatApplyEffectSuccess(settings, ok);
    }
  } catch (...) {
    LOG(WARNING) << "Effect statistics could not be sent: " << boost::current_exception_diagnostic_information();
  }
  // A run that produced nothing and was not stopped still ends: as cancelled.
  SetStopPromise(EVENT_STOPPED);
}

bool GlimraCore::ProcessTry(const Core::Property& settings) {
  // The run's frames are let go on every way out.
  struct FrameGuard {
    DataVideoPtr& frame;
    ~FrameGuard() { frame.reset(); }
  } frameGuard{workFrame};

  DataVideoPtr second;
  const DataVideoPtr current = undoStore->GetVideo();
  if (!current) ZENTOR_THROW_DESC(GlimraException, "There is no picture to apply the effect to");
  // The stored picture is never changed: an effect that may write into its input gets a copy.
  const bool ownResult = WritesNewFrame(ClassIdOf(settings));
  workFrame = ownResult ? current : current->CreateCopy();

  Core::Property info = PrepareFrames(workFrame, second, settings);
  const Core::Property& es = info[IGlimraDrawer::TAG_EFFECT_SETTINGS];
  const Core::Property& imagePreset = es[IGlimraDrawer::TAG_EFFECT_SETTINGS_IMAGE][size_t(0)];
  const Core::Property& maskPreset = es.ChildExists(IGlimraDrawer::TAG_EFFECT_SETTINGS_MASK)
                                         ? es[IGlimraDrawer::TAG_EFFECT_SETTINGS_MASK][size_t(0)]
                                         : imagePreset;
  const Core::Property& helper = es[IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER];
  const std::string classId = ClassIdOf(imagePreset);

  if (BoolChild(helper, CommonHelper::APPLY_STOP)) {
    SetStopPromise(EVENT_FINISHED);
    return true;
  }
  const bool withMask = BoolChild(helper, CommonHelper::APPLY_WITH_MASK);
  const bool keepMask = BoolChild(helper, CommonHelper::APPLY_AND_SET_MASK);
  const std::string implName = helper.ChildExists(Proc::ImplNames::NAME)
                                   ? Core::GetValue<std::string>(helper[Proc::ImplNames::NAME])
                                   : std::string(Proc::ImplNames::DEFAULT);

  const Core::ProgressControllerPtr progress(new RunProgress(*this));
  Proc::EffectFactoryPtr factory = Core::CoreManager::Instance().GetEffectFactory();
  DataVideoPtr resultMask;
  if (!second) {
    Proc::OneInputEffectPtr effect = factory->CreateOneInputVideo(classId, implName);
    effect->SetSettings(imagePreset);
    effect->SetProgressController(progress);
    progressController->Notify(EVENT_START);
    effect->Process(workFrame);
    if (withMask || keepMask) {
      resultMask = undoStore->GetMask();
      if (resultMask && withMask) {
        if (!ownResult) resultMask = resultMask->CreateCopy();
        effect->Reset();
        effect->SetSettings(maskPreset);
        effect->Process(resultMask);
      }
    }
  } else {
    Proc::TwoInputEffectPtr effect = factory->CreateTwoInputVideo(classId, implName);
    effect->SetSettings(imagePreset);
    effect->SetProgressController(progress);
    progressController->Notify(EVENT_START);
    effect->Process(workFrame, second);
  }
  second.reset();

  if (!workFrame || stopRequested.load() != 0) return false;
  {
    std::lock_guard<std::mutex> lock(workingConverterMutex);
    workingConverter->Process(workFrame);
  }
  const bool replace = BoolChild(helper, IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_UNDO_SET);

  // The commit is decided under the run's mutex: a stop either comes first and nothing is stored,
  // or it comes after and is ignored. The commit itself runs without the mutex, so a stop never
  // waits for it, and cannot be interrupted.
  boost::this_thread::disable_interruption noInterruption;
  {
    std::lock_guard<std::mutex> lock(stopPromiseMutex);
    if (runOutcome != 0 || stopRequested.load() != 0) return false;
    runCommitting = true;
  }
  const auto finish = [this] {
    std::lock_guard<std::mutex> lock(stopPromiseMutex);
    ++effectCount;
    if (stopPromise && runOutcome == 0) stopPromise->set_value(EVENT_FINISHED);
    runOutcome = EVENT_FINISHED;
  };
  try {
    if (replace) {
      undoStore->Set(info, workFrame, resultMask);
    } else {
      undoStore->Add(info, workFrame, resultMask);
    }
  } catch (...) {
    // A failure after the step was stored (the swap of older steps) does not undo the commit. The
    // store keeps its own copy of workFrame, so a stored step shows as a current picture other
    // than the one the run started from.
    if (undoStore->GetVideo() == current) throw;
    finish();
    RaiseToCoreHandlers();
    return true;
  }
  finish();
  return true;
}

void GlimraCore::Debug() {
  try {
    DebugImpl();
  } catch (...) {
    RaiseToCoreHandlers();
  }
}

void GlimraCore::DebugImpl() {
  Core::Property preset(Proc::IEffectGrayscale::CLASS_ID);
  preset.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(Proc::IEffectGrayscale::CLASS_ID));
  ApplyEffect(preset, false);
}

void GlimraCore::SendStatApplyEffectSuccess(const Core::Property& preset, bool committed) {
  if (BoolChild(preset, IGlimraDrawer::TAG_EFFECT_SETTINGS_HELPER_NO_STATISTICS)) return;
  StatisticsHelper::Parameters parameters;
  StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(preset, parameters);
  const std::string name = SendStatApplyEffectExtractEffectName(
      preset, committed ? IStatisticsEventHandler::SUFFIX_SUCCESS : IStatisticsEventHandler::SUFFIX_CANCEL);
  StatisticsHandlerList::PerformForEachEventHandler(&IStatisticsEventHandler::TrackEventString, name, parameters);
}

void GlimraCore::SendStatApplyEffectError(const Core::Property& preset, const std::string& text) {
  StatisticsHelper::Parameters parameters;
  StatisticsHelper::PrepareApplyEffectSuccessStatisticsParameters(preset, parameters);
  parameters.emplace(IStatisticsEventHandler::KEY_ERROR, text);
  const std::string name = SendStatApplyEffectExtractEffectName(preset, IStatisticsEventHandler::SUFFIX_ERROR);
  StatisticsHandlerList::PerformForEachEventHandler(&IStatisticsEventHandler::TrackEventString, name, parameters);
}

std::string GlimraCore::SendStatApplyEffectExtractEffectName(const Core::Property& preset, const std::string& suffix) {
  std::string name;
  for (char c : ClassIdOf(preset)) {
    if (c != '$') name += c;
  }
  return name + suffix;
}

}  // namespace Glimra
}  // namespace Zentor
