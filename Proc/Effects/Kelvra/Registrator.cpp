// The plug-in's one entry point: registers its effects with the framework's registry.
#include "Platform/ComponentHub/CoreManager.h"
#include "Proc/Effects/Kelvra/InpaintExemplar.h"
#include "Proc/Effects/Kelvra/VideoIO.h"
#include "Proc/Effects/Kelvra/blur.h"
#include "Proc/Effects/Kelvra/floodfill.h"
#include "Proc/Effects/Kelvra/morphology.h"

using namespace Zentor::Proc;

extern "C" __attribute__((visibility("default"))) void Registrator(IEffectRegistry& registry) {
  registry.RegisterOneInput(IEffectBlur::CLASS_ID, ImplNames::OPENCV, &OpenCV::Blur::Create, 0);
  registry.RegisterOneInput(IEffectFloodFill::CLASS_ID, ImplNames::OPENCV, &OpenCV::FloodFill::Create, 0);
  registry.RegisterOneInput(IEffectMorphology::CLASS_ID, ImplNames::OPENCV, &OpenCV::Morphology::Create, 0);
  registry.RegisterTwoInput(IEffectInpaint::CLASS_ID, ImplNames::ZENTOR, &OpenCV::InpaintExemplar::Create, 0);
  registry.RegisterOneInput(IEffectVideoIO::CLASS_ID, ImplNames::OPENCV, &OpenCV::VideoIO::Create, 0);
}
