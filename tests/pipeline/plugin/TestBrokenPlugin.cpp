// A plug-in whose registration fails halfway: nothing of it may stay registered.
#include "Platform/ComponentHub/CoreManager.h"

using namespace Zentor::Proc;

extern "C" __attribute__((visibility("default"))) void Registrator(IEffectRegistry& registry) {
  registry.RegisterOneInput("TestBroken", "First", [](IEffectFactory&) { return OneInputEffectPtr(); }, 0);
  ZENTOR_THROW_DESC(EffectException, "test registration failure");
}
