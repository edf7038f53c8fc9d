// Frames, effects and a recording progress controller for the platform effect tests.
#pragma once

#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Proc/Interfaces/IDataVideo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace EffectsTest {

using namespace Zentor;
using namespace Zentor::Proc;

inline OneInputEffectPtr MakeOne(const char* classId, const char* impl = ImplNames::DEFAULT) {
  return Core::CoreManager::Instance().GetEffectFactory()->CreateOneInputVideo(classId, impl);
}

inline TwoInputEffectPtr MakeTwo(const char* classId, const char* impl = ImplNames::DEFAULT) {
  return Core::CoreManager::Instance().GetEffectFactory()->CreateTwoInputVideo(classId, impl);
}

inline Core::Property Preset(const char* classId) {
  Core::Property p(classId);
  p.SetChildT(Conf::IPreset::KEY_CLASS_ID, std::string(classId));
  return p;
}

inline uint8_t* Pixel(IDataVideo& f, uint32_t x, uint32_t y, int bpp, int plane = 0) {
  return f.GetPicture().data[plane] + size_t(y) * f.GetPicture().linesize[plane] + size_t(x) * bpp;
}

// A frame whose bytes come from fill(x, y, byte index).
inline DataVideoPtr MakeFrame(AVPixelFormat format, uint32_t w, uint32_t h, int bpp,
                              const std::function<uint8_t(uint32_t, uint32_t, int)>& fill) {
  DataVideoPtr f = DataVideoFF::Create(format, w, h);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int b = 0; b < bpp; ++b) Pixel(*f, x, y, bpp)[b] = fill(x, y, b);
  return f;
}

// The packed bytes of plane 0, row by row without padding.
inline std::vector<uint8_t> Bytes(const IDataVideo& f, int bpp) {
  std::vector<uint8_t> out;
  const Picture& p = f.GetPicture();
  for (uint32_t y = 0; y < f.GetHeight(); ++y) {
    const uint8_t* row = p.data[0] + size_t(y) * p.linesize[0];
    out.insert(out.end(), row, row + size_t(f.GetWidth()) * bpp);
  }
  return out;
}

class RecordingController : public RefCounted<Core::IProgressController> {
 public:
  void Notify(NotifyEvent) override {}
  void SetMaximum(int maximum) override {
    std::lock_guard<std::mutex> lock(mutex);
    maximums.push_back(maximum);
  }
  void SetProgress(int progress) override {
    std::lock_guard<std::mutex> lock(mutex);
    values.push_back(progress);
  }
  void IncProgress(int step) override { SetProgress(step); }
  bool CheckForStop() const override {
    ++checks;
    return stopAfter >= 0 && checks > stopAfter;
  }
  void SetClient(Core::IProgressControllerClient*) override {}

  std::mutex mutex;
  std::vector<int> maximums;
  std::vector<int> values;
  mutable std::atomic<int> checks{0};
  int stopAfter = -1;  // CheckForStop turns true after this many calls; -1 never
};

}  // namespace EffectsTest
