// The process-wide component manager: effect factory, effect registry and plug-in loading.
#pragma once

#include "Platform/Codecs/CodecFactory.h"
#include "Proc/Interfaces/IEffect.h"

#include "Platform/Bedrock/Property.h"

#include <functional>
#include <string>
#include <vector>

namespace Zentor {
namespace Proc {

class ZENTOR_API IEffectFactory : public virtual IRefCountable {
 public:
  ~IEffectFactory() override;
  // A new effect of (class id, implementation name); ImplNames::DEFAULT picks the first registered
  // implementation of that class id and kind (built-ins first, then plug-ins in file-name order).
  // An unknown pair, a one-/two-input mismatch or a factory answering null raises EffectException;
  // never returns null.
  virtual OneInputEffectPtr CreateOneInputVideo(const std::string& classId, const std::string& implName) = 0;
  virtual TwoInputEffectPtr CreateTwoInputVideo(const std::string& classId, const std::string& implName) = 0;

  // Typed creation: the effect must implement T, else EffectException.
  template <class T>
  boost::intrusive_ptr<T> CreateOneInput(const std::string& classId, const std::string& implName);
  template <class T>
  boost::intrusive_ptr<T> CreateTwoInput(const std::string& classId, const std::string& implName);
};

using EffectFactoryPtr = boost::intrusive_ptr<IEffectFactory>;
using OneInputFactoryFn = std::function<OneInputEffectPtr(IEffectFactory&)>;
using TwoInputFactoryFn = std::function<TwoInputEffectPtr(IEffectFactory&)>;

// What a plug-in's Registrator fills. An empty name, the implementation name ImplNames::DEFAULT or
// an empty factory raises EffectException; a pair registered already is ignored (the first stays).
class ZENTOR_API IEffectRegistry {
 public:
  virtual ~IEffectRegistry();
  virtual void RegisterOneInput(const std::string& classId, const std::string& implName, OneInputFactoryFn factory,
                                int flags) = 0;
  virtual void RegisterTwoInput(const std::string& classId, const std::string& implName, TwoInputFactoryFn factory,
                                int flags) = 0;
};

struct RegistryEntry {
  std::string classId;
  std::string implName;
  bool twoInput = false;
};

// Signature of a plug-in's exported entry point, looked up as "Registrator".
using RegistratorFn = void (*)(IEffectRegistry&);

// Raises EffectException "Cannot create effect <classId> implemented as <implName>".
[[noreturn]] ZENTOR_API void ThrowEffectCreationFailed(const std::string& classId, const std::string& implName);

template <class T>
boost::intrusive_ptr<T> IEffectFactory::CreateOneInput(const std::string& classId, const std::string& implName) {
  OneInputEffectPtr effect = CreateOneInputVideo(classId, implName);
  boost::intrusive_ptr<T> typed(dynamic_cast<T*>(effect.get()));
  if (!typed) ThrowEffectCreationFailed(classId, implName);
  return typed;
}

template <class T>
boost::intrusive_ptr<T> IEffectFactory::CreateTwoInput(const std::string& classId, const std::string& implName) {
  TwoInputEffectPtr effect = CreateTwoInputVideo(classId, implName);
  boost::intrusive_ptr<T> typed(dynamic_cast<T*>(effect.get()));
  if (!typed) ThrowEffectCreationFailed(classId, implName);
  return typed;
}

}  // namespace Proc

namespace Core {

class ZENTOR_API CoreManager {
 public:
  // The one manager. The first call registers the built-in effects; the plug-ins are loaded by
  // the first request that only a plug-in can answer (or GetRegistrations), which waits for them,
  // unless LoadPluginsInBackground started them before.
  static CoreManager& Instance();

  Proc::EffectFactoryPtr GetEffectFactory();
  Proc::CodecFactoryPtr GetCodecFactory() { return Core::GetCodecFactory(); }
  Proc::FilterFactoryPtr GetFilterFactory() { return Core::GetFilterFactory(); }
  Proc::IEffectRegistry& GetRegistry();
  // Registrations in the order they were made.
  std::vector<Proc::RegistryEntry> GetRegistrations() const;

  // Loads one plug-in module and calls its Registrator; raises CoreException on failure, leaving
  // none of that module's registrations behind. A module loaded already is not registered again.
  void LoadPlugin(const std::string& path);
  // The plug-in folder: $ZENTOR_PLUGIN_PATH when set and not empty, else "plugins" next to this
  // library. Every *.so there is loaded in name order; one that fails is logged and skipped.
  static std::string GetPluginFolder();
  // Starts loading the plug-in folder's modules on a thread of their own, unless that has begun.
  // They and the libraries they pull in take a while to load, and the dynamic loader lets no other
  // library load meanwhile: a program starts them once its own start needs no further library.
  void LoadPluginsInBackground();

  // Start-up of the process's services: `settings` holds LOCALIZATION_PATH, the folder of the
  // translation files. The work is done before the call returns; `done`, when set, runs last.
  void Initialize(const std::function<void()>& done, const Property& settings);
  // Returns once no initialisation is running.
  void WaitUntilInitialized();
  // Forgets the start-up settings. Effects and plug-ins stay registered: engines may outlive it.
  void Uninitialize();
  bool IsInitialized() const;
  // Empty until initialised.
  std::string GetLocalizationPath() const;

  static const std::string LOCALIZATION_PATH;
  // The translation domain of the engine's message keys; it also names the languages.
  static const std::string MESSAGE_DOMAIN;

  // Built-in registrators run by Instance() before any plug-in is loaded; one added after that runs
  // at once.
  static void AddBuiltinRegistrator(Proc::RegistratorFn fn);

  CoreManager(const CoreManager&) = delete;
  CoreManager& operator=(const CoreManager&) = delete;

 private:
  CoreManager();
  ~CoreManager();
  void LoadPluginFolder();
  struct Impl;
  Impl* impl_;
};

// Registers a built-in registrator from a static initializer of the library that defines it.
struct ZENTOR_API BuiltinRegistration {
  explicit BuiltinRegistration(Proc::RegistratorFn fn) { CoreManager::AddBuiltinRegistrator(fn); }
};

}  // namespace Core
}  // namespace Zentor
