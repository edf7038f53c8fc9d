// The effect interface family: one- and two-input video effects.
#pragma once

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/IProgressController.h"
#include "Core/Interfaces/Property.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <stdexcept>
#include <typeinfo>

namespace Zentor {
namespace Conf {
class IFormatCodecVideo;
}
namespace Proc {

class ZENTOR_API IEffect : public virtual IRefCountable {
 public:
  ~IEffect() override;
  virtual Core::Property GetSettings() const = 0;
  // Reads only the keys present; a tree not named after the effect's class id is refused.
  virtual void SetSettings(const Core::Property& settings) = 0;
  virtual void Reset() = 0;
  virtual DataList ProcessData(const DataList& data) = 0;
  virtual Core::Property GetStatistic() const = 0;
  virtual void SetProgressController(const Core::ProgressControllerPtr& controller) = 0;
};

class ZENTOR_API IOneInputEffect : public IEffect {
 public:
  ~IOneInputEffect() override;
  // Exactly one item, processed in place and returned.
  DataList ProcessData(const DataList& data) override {
    if (data.size() != 1) BOOST_THROW_EXCEPTION(boost::enable_error_info(std::logic_error("incorrect data count")) << TagCallStack(GetCallStack()));
    DataList result(data);
    ProcessData(result[0]);
    return result;
  }
  virtual void ProcessData(DataPtr& item) = 0;
};

class ZENTOR_API ITwoInputEffect : public virtual IEffect {
 public:
  ~ITwoInputEffect() override;
  // Exactly two items: the first is processed with the second as read-only input and returned.
  DataList ProcessData(const DataList& data) override {
    if (data.size() != 2) BOOST_THROW_EXCEPTION(boost::enable_error_info(std::logic_error("invalid data count")) << TagCallStack(GetCallStack()));
    DataList result(1, data[0]);
    ProcessData(result[0], data[1]);
    return result;
  }
  virtual void ProcessData(DataPtr& item, const DataPtr& second) = 0;
};

class ZENTOR_API IOneInputEffectVideo : public IOneInputEffect {
 public:
  ~IOneInputEffectVideo() override;
  using IOneInputEffect::ProcessData;
  void ProcessData(DataPtr& item) override {
    auto* video = dynamic_cast<IDataVideo*>(item.get());
    if (!video) throw std::bad_cast();
    DataVideoPtr frame(video);
    Process(frame);
    item = frame;
  }
  // Replaces the frame with the result (or leaves it when the effect yields none).
  virtual void Process(DataVideoPtr& frame) = 0;
  virtual void UpdateFormatCodec(Conf::IFormatCodecVideo& codec) = 0;
};

class ZENTOR_API ITwoInputEffectVideo : public ITwoInputEffect {
 public:
  ~ITwoInputEffectVideo() override;
  using ITwoInputEffect::ProcessData;
  void ProcessData(DataPtr& item, const DataPtr& second) override {
    auto* video = dynamic_cast<IDataVideo*>(item.get());
    auto* secondVideo = dynamic_cast<IDataVideo*>(second.get());
    if (!video || !secondVideo) throw std::bad_cast();
    DataVideoPtr frame(video);
    Process(frame, DataVideoPtr(secondVideo));
    item = frame;
  }
  virtual void Process(DataVideoPtr& frame, const DataVideoPtr& second) = 0;
  virtual void UpdateFormatCodec(Conf::IFormatCodecVideo& codec) = 0;
};

using OneInputEffectPtr = boost::intrusive_ptr<IOneInputEffectVideo>;
using TwoInputEffectPtr = boost::intrusive_ptr<ITwoInputEffectVideo>;

// Counts successful runs; a throwing run is not counted. Time is kept for the statistics record.
template <class Interface>
class OneInputEffectStatistics : public Interface {
 public:
  void Process(DataVideoPtr& frame) override {
    ProcessInternal(frame);
    ++count_;
  }

 protected:
  virtual void ProcessInternal(DataVideoPtr& frame) = 0;
  int64_t time_ = 0;
  uint64_t count_ = 0;
};

template <class Interface>
class TwoInputEffectStatistics : public Interface {
 public:
  void Process(DataVideoPtr& frame, const DataVideoPtr& second) override {
    ProcessInternal(frame, second);
    ++count_;
  }

 protected:
  virtual void ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& second) = 0;
  int64_t time_ = 0;
  uint64_t count_ = 0;
};

// Implementation names of effects.
struct ZENTOR_API ImplNames {
  static const char* const NAME;     // settings key naming the implementation
  static const char* const DEFAULT;  // the preferred registered implementation
  static const char* const GMIC;
  static const char* const OPENCV;
  static const char* const ZENTOR;
};

}  // namespace Proc
}  // namespace Zentor
