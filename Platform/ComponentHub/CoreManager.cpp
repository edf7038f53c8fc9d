#include "Platform/ComponentHub/CoreManager.h"

#include <glog/logging.h>

#include <dirent.h>
#include <dlfcn.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#ifndef GLIMRA_PLUGIN_DIR_NAME
#define GLIMRA_PLUGIN_DIR_NAME "plugins"
#endif

namespace Zentor {
namespace Proc {

IEffectFactory::~IEffectFactory() = default;
IEffectRegistry::~IEffectRegistry() = default;

[[noreturn]] void ThrowEffectCreationFailed(const std::string& classId, const std::string& implName) {
  ZENTOR_THROW_DESC(EffectException, "Cannot create effect " + classId + " implemented as " + implName);
}

}  // namespace Proc

namespace Core {
namespace {

using Proc::EffectException;
using Proc::ImplNames;

struct Registration {
  Proc::RegistryEntry entry;
  Proc::OneInputFactoryFn one;
  Proc::TwoInputFactoryFn two;
};

Registration MakeRegistration(const std::string& classId, const std::string& implName, bool twoInput,
                              Proc::OneInputFactoryFn one, Proc::TwoInputFactoryFn two) {
  const std::string what = "Cannot register effect " + classId + " implemented as " + implName + ": ";
  if (classId.empty() || implName.empty()) ZENTOR_THROW_DESC(EffectException, what + "empty name");
  if (implName == ImplNames::DEFAULT) ZENTOR_THROW_DESC(EffectException, what + "reserved implementation name");
  if (twoInput ? !two : !one) ZENTOR_THROW_DESC(EffectException, what + "no factory");
  return Registration{Proc::RegistryEntry{classId, implName, twoInput}, std::move(one), std::move(two)};
}

// Collects a plug-in's registrations so that a Registrator that fails halfway leaves nothing behind.
class StagingRegistry : public Proc::IEffectRegistry {
 public:
  void RegisterOneInput(const std::string& classId, const std::string& implName, Proc::OneInputFactoryFn factory,
                        int) override {
    entries.push_back(MakeRegistration(classId, implName, false, std::move(factory), nullptr));
  }
  void RegisterTwoInput(const std::string& classId, const std::string& implName, Proc::TwoInputFactoryFn factory,
                        int) override {
    entries.push_back(MakeRegistration(classId, implName, true, nullptr, std::move(factory)));
  }

  std::vector<Registration> entries;
};

// The process-wide registry; safe to use from any thread.
class Registry : public Proc::IEffectRegistry {
 public:
  void RegisterOneInput(const std::string& classId, const std::string& implName, Proc::OneInputFactoryFn factory,
                        int) override {
    Add(MakeRegistration(classId, implName, false, std::move(factory), nullptr));
  }
  void RegisterTwoInput(const std::string& classId, const std::string& implName, Proc::TwoInputFactoryFn factory,
                        int) override {
    Add(MakeRegistration(classId, implName, true, nullptr, std::move(factory)));
  }

  // A second registration of a (class id, implementation) pair is ignored: the first one stays.
  void Add(Registration registration) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Registration& r : entries_) {
      if (r.entry.classId == registration.entry.classId && r.entry.implName == registration.entry.implName) {
        LOG(WARNING) << "Effect " << r.entry.classId << " implemented as " << r.entry.implName
                     << " is registered already; the later registration is ignored";
        return;
      }
    }
    entries_.push_back(std::move(registration));
  }

  // The registration answering the request; DEFAULT picks the first registered of the class id.
  // A registration found before the plug-ins are loaded is the answer already (later ones never
  // come first); only a miss has them loaded and waits.
  Registration Find(const std::string& classId, const std::string& implName, bool twoInput) const {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool anyImpl = implName == ImplNames::DEFAULT;
    for (;;) {
      const Registration* otherKind = nullptr;
      for (const Registration& r : entries_) {
        if (r.entry.classId != classId || (!anyImpl && r.entry.implName != implName)) continue;
        if (r.entry.twoInput == twoInput) return r;
        if (!otherKind) otherKind = &r;
      }
      if (!plugins_) {
        WaitForPlugins(lock);
        continue;
      }
      if (otherKind) {
        ZENTOR_THROW_DESC(EffectException, "Effect " + classId + " implemented as " + otherKind->entry.implName +
                                               " is not a " + (twoInput ? "two" : "one") + "-input effect");
      }
      ZENTOR_THROW_DESC(EffectException, "No effect " + classId + " implemented as " + implName);
    }
  }

  std::vector<Proc::RegistryEntry> Entries() const {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!plugins_) WaitForPlugins(lock);
    std::vector<Proc::RegistryEntry> result;
    result.reserve(entries_.size());
    for (const Registration& r : entries_) result.push_back(r.entry);
    return result;
  }

  // What starts loading the plug-ins, unless they are loading already; PluginsLoaded ends it.
  void SetPluginLoader(std::function<void()> start) { startPlugins_ = std::move(start); }

  void PluginsLoaded() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      plugins_ = true;
    }
    loaded_.notify_all();
  }

 private:
  void WaitForPlugins(std::unique_lock<std::mutex>& lock) const {
    lock.unlock();
    startPlugins_();
    lock.lock();
    loaded_.wait(lock, [this] { return plugins_; });
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable loaded_;
  bool plugins_ = false;
  std::function<void()> startPlugins_;
  std::vector<Registration> entries_;
};

// Holds the registry itself, so that effects keeping the factory may outlive the manager.
class EffectFactory : public RefCounted<Proc::IEffectFactory> {
 public:
  explicit EffectFactory(std::shared_ptr<Registry> registry) : registry_(std::move(registry)) {}

  Proc::OneInputEffectPtr CreateOneInputVideo(const std::string& classId, const std::string& implName) override {
    const Registration found = registry_->Find(classId, implName, false);
    Proc::OneInputEffectPtr effect = found.one(*this);
    if (!effect) Proc::ThrowEffectCreationFailed(classId, found.entry.implName);
    return effect;
  }

  Proc::TwoInputEffectPtr CreateTwoInputVideo(const std::string& classId, const std::string& implName) override {
    const Registration found = registry_->Find(classId, implName, true);
    Proc::TwoInputEffectPtr effect = found.two(*this);
    if (!effect) Proc::ThrowEffectCreationFailed(classId, found.entry.implName);
    return effect;
  }

 private:
  std::shared_ptr<Registry> registry_;
};

// Built-in registrators wait here until the manager exists; later ones run at once.
struct BuiltinState {
  std::mutex mutex;
  std::vector<Proc::RegistratorFn> pending;
  std::shared_ptr<Registry> live;
};

BuiltinState& Builtins() {
  static BuiltinState state;
  return state;
}

void RunBuiltin(Proc::RegistratorFn fn, Registry& registry) {
  try {
    fn(registry);
  } catch (const boost::exception& e) {
    LOG(ERROR) << "A built-in effect registration failed: " << GetDescription(e, boost::diagnostic_information(e));
  } catch (const std::exception& e) {
    LOG(ERROR) << "A built-in effect registration failed: " << e.what();
  }
}

std::string DescribeCurrentException() {
  try {
    throw;
  } catch (const boost::exception& e) {
    return GetDescription(e, boost::diagnostic_information(e));
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown error";
  }
}

void Anchor() {}

}  // namespace

struct CoreManager::Impl {
  std::shared_ptr<Registry> registry = std::make_shared<Registry>();
  Proc::EffectFactoryPtr factory{new EffectFactory(registry)};
  std::mutex pluginMutex;
  std::set<void*> plugins;  // modules loaded; never unloaded, their code stays registered
  mutable std::mutex startMutex;  // held while an initialisation runs
  bool initialized = false;
  std::string localizationPath;
  std::mutex loaderMutex;
  std::thread pluginLoader;
};

const std::string CoreManager::LOCALIZATION_PATH = "localizationPath";
const std::string CoreManager::MESSAGE_DOMAIN = "core";

CoreManager::CoreManager() : impl_(new Impl) {
  std::vector<Proc::RegistratorFn> pending;
  {
    BuiltinState& builtins = Builtins();
    std::lock_guard<std::mutex> lock(builtins.mutex);
    builtins.live = impl_->registry;
    pending.swap(builtins.pending);
  }
  for (Proc::RegistratorFn fn : pending) RunBuiltin(fn, *impl_->registry);

  impl_->registry->SetPluginLoader([this] { LoadPluginsInBackground(); });
}

void CoreManager::LoadPluginsInBackground() {
  std::lock_guard<std::mutex> lock(impl_->loaderMutex);
  if (impl_->pluginLoader.joinable()) return;
  impl_->pluginLoader = std::thread([this] {
    LoadPluginFolder();
    impl_->registry->PluginsLoaded();
  });
}

void CoreManager::LoadPluginFolder() {
  const std::string folder = GetPluginFolder();
  std::vector<std::string> modules;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* item = ::readdir(dir)) {
      const std::string name = item->d_name;
      if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) modules.push_back(name);
    }
    ::closedir(dir);
  } else {
    LOG(WARNING) << "No plug-in folder \"" << folder << "\"";
  }
  std::sort(modules.begin(), modules.end());
  for (const std::string& name : modules) {
    const std::string path = folder + "/" + name;
    try {
      LoadPlugin(path);
    } catch (...) {
      LOG(ERROR) << DescribeCurrentException() << "; the plug-in is skipped";
    }
  }
}

CoreManager::~CoreManager() {
  {
    std::lock_guard<std::mutex> lock(impl_->loaderMutex);
    if (impl_->pluginLoader.joinable()) impl_->pluginLoader.join();
  }
  {
    BuiltinState& builtins = Builtins();
    std::lock_guard<std::mutex> lock(builtins.mutex);
    builtins.live.reset();
  }
  delete impl_;
}

CoreManager& CoreManager::Instance() {
  static CoreManager manager;
  return manager;
}

void CoreManager::Initialize(const std::function<void()>& done, const Property& settings) {
  {
    std::lock_guard<std::mutex> lock(impl_->startMutex);
    impl_->localizationPath =
        settings.ChildExists(LOCALIZATION_PATH) ? settings[LOCALIZATION_PATH].GetString() : std::string();
    impl_->initialized = true;
  }
  if (done) done();
}

void CoreManager::WaitUntilInitialized() { std::lock_guard<std::mutex> lock(impl_->startMutex); }

void CoreManager::Uninitialize() {
  std::lock_guard<std::mutex> lock(impl_->startMutex);
  impl_->initialized = false;
  impl_->localizationPath.clear();
}

bool CoreManager::IsInitialized() const {
  std::lock_guard<std::mutex> lock(impl_->startMutex);
  return impl_->initialized;
}

std::string CoreManager::GetLocalizationPath() const {
  std::lock_guard<std::mutex> lock(impl_->startMutex);
  return impl_->localizationPath;
}

Proc::EffectFactoryPtr CoreManager::GetEffectFactory() { return impl_->factory; }

Proc::IEffectRegistry& CoreManager::GetRegistry() { return *impl_->registry; }

std::vector<Proc::RegistryEntry> CoreManager::GetRegistrations() const { return impl_->registry->Entries(); }

void CoreManager::LoadPlugin(const std::string& path) {
  std::lock_guard<std::mutex> lock(impl_->pluginMutex);
  // A module that fails is not unloaded either: its static initializers may have left code behind.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* error = ::dlerror();
    std::string cause = error ? error : "unknown error";
    if (cause.compare(0, path.size() + 2, path + ": ") == 0) cause.erase(0, path.size() + 2);
    ZENTOR_THROW_DESC(CoreException, "Cannot load plug-in \"" + path + "\": " + cause);
  }
  if (impl_->plugins.count(handle)) {
    ::dlclose(handle);  // drops the extra reference only
    return;
  }
  ::dlerror();
  auto registrator = reinterpret_cast<Proc::RegistratorFn>(::dlsym(handle, "Registrator"));
  if (!registrator) {
    ZENTOR_THROW_DESC(CoreException, "Plug-in \"" + path + "\" has no Registrator");
  }
  StagingRegistry staging;
  std::string failure;
  try {
    registrator(staging);
  } catch (...) {
    failure = DescribeCurrentException();
  }
  if (!failure.empty()) {
    ZENTOR_THROW_DESC(CoreException, "Plug-in \"" + path + "\" failed to register its effects: " + failure);
  }
  impl_->plugins.insert(handle);
  for (Registration& r : staging.entries) impl_->registry->Add(std::move(r));
  LOG(INFO) << "Plug-in \"" << path << "\" registered " << staging.entries.size() << " effects";
}

std::string CoreManager::GetPluginFolder() {
  if (const char* env = std::getenv("ZENTOR_PLUGIN_PATH")) {
    if (*env) return env;
  }
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&Anchor), &info) && info.dli_fname) {
    const std::string library = info.dli_fname;
    const size_t slash = library.rfind('/');
    if (slash != std::string::npos) return library.substr(0, slash + 1) + GLIMRA_PLUGIN_DIR_NAME;
  }
  return GLIMRA_PLUGIN_DIR_NAME;
}

void CoreManager::AddBuiltinRegistrator(Proc::RegistratorFn fn) {
  if (!fn) return;
  std::shared_ptr<Registry> live;
  {
    BuiltinState& builtins = Builtins();
    std::lock_guard<std::mutex> lock(builtins.mutex);
    if (!builtins.live) {
      builtins.pending.push_back(fn);
      return;
    }
    live = builtins.live;
  }
  RunBuiltin(fn, *live);
}

}  // namespace Core
}  // namespace Zentor
