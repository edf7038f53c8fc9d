// Registers the platform effects with the effect factory when the framework library loads.
#include "Platform/ComponentHub/CoreManager.h"
#include "Platform/Effects/Blend.h"
#include "Platform/Effects/ColorSpaceConverter.h"
#include "Platform/Effects/Geometry.h"
#include "Platform/Effects/InpaintPatchFill.h"
#include "Platform/Effects/Resize.h"
#include "Platform/Effects/Tone.h"

namespace Zentor {
namespace Proc {
namespace Effects {

namespace {

template <class E>
OneInputEffectPtr MakeOne(IEffectFactory&) {
  return OneInputEffectPtr(new E());
}

template <class E>
TwoInputEffectPtr MakeTwo(IEffectFactory&) {
  return TwoInputEffectPtr(new E());
}

void RegisterEffects(IEffectRegistry& registry) {
  const std::string impl = ImplNames::ZENTOR;
  registry.RegisterOneInput(IColorSpaceConverter::CLASS_ID, impl, MakeOne<ColorSpaceConverter>, 0);
  registry.RegisterTwoInput(IBlend::CLASS_ID, impl, MakeTwo<Blend>, 0);
  registry.RegisterOneInput(IExtraAlphaExtractor::CLASS_ID, impl, MakeOne<AlphaExtractor>, 0);
  registry.RegisterTwoInput(IAlphaInserter::CLASS_ID, impl, MakeTwo<AlphaInserter>, 0);
  registry.RegisterOneInput(IRotate::CLASS_ID, impl, MakeOne<Rotate>, 0);
  registry.RegisterOneInput(IFlip::CLASS_ID, impl, MakeOne<Flip>, 0);
  registry.RegisterOneInput(IResize::CLASS_ID, impl, MakeOne<Resize>, 0);
  registry.RegisterOneInput(IEffectCrop::CLASS_ID, impl, MakeOne<Crop>, 0);
  registry.RegisterOneInput(IEffectGrayscale::CLASS_ID, impl, MakeOne<Grayscale>, 0);
  registry.RegisterOneInput(IEffectMagicEnhance::CLASS_ID, impl, MakeOne<MagicEnhance>, 0);
  registry.RegisterTwoInput(IEffectInpaint::CLASS_ID, ImplNames::GMIC, MakeTwo<InpaintPatchFill>, 0);
}

const Core::BuiltinRegistration registration(&RegisterEffects);

}  // namespace

}  // namespace Effects
}  // namespace Proc
}  // namespace Zentor
