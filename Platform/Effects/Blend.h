// The selection overlay and the painters' blending: alpha inserter, alpha extractor and blend.
#pragma once

#include "Platform/Effects/EffectBase.h"
#include "Proc/Interfaces/IAlphaInserter.h"
#include "Proc/Interfaces/IBlend.h"
#include "Proc/Interfaces/IExtraAlphaExtractor.h"

namespace Zentor {
namespace Proc {
namespace Effects {

class AlphaInserter final : public TwoInputEffect<IAlphaInserter> {
 protected:
  void ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& alpha) override;
};

class AlphaExtractor final : public OneInputEffect<IExtraAlphaExtractor> {
 protected:
  void ProcessInternal(DataVideoPtr& frame) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  AVPixelFormat pictureFormat_ = AV_PIX_FMT_NONE;
};

// Writes into its first input, the in/out frame; the picture is only read.
class Blend final : public TwoInputEffect<IBlend> {
 protected:
  void ProcessInternal(DataVideoPtr& frame, const DataVideoPtr& picture) override;
  void ReadSettings(const Core::Property& settings) override;
  void WriteSettings(Core::Property& settings) const override;

 private:
  int64_t alpha_ = 255;
  int64_t x_ = 0;
  int64_t y_ = 0;
};

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
