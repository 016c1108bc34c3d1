// Counted loading of the device-setup library; each half binds its own
// entry points (SetupApiUdev.cpp, SetupApiWin32.cpp).

#include "serial/SetupApi.h"

#include <mutex>

#include "serial/ModuleLoader.h"

namespace serial {
namespace {

struct TBinding {
  std::mutex Lock;
  std::string Library = DefaultSetupApiLibrary();
  TModuleLoader Loader;
  int Count = 0;
  bool Loaded = false;
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

}  // namespace

bool LoadSetupApi() {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  if (b.Count++ == 0 && b.Loader.Load(b.Library)) b.Loaded = BindSetupApiEntries(b.Loader);
  return b.Loaded;
}

void ReleaseSetupApi() {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  if (b.Count == 0 || --b.Count > 0) return;
  b.Loader.Free();
  ClearSetupApiEntries();
  b.Loaded = false;
}

bool IsSetupApiLoaded() {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  return b.Loaded;
}

void SetSetupApiLibrary(const std::string& name) {
  TBinding& b = Binding();
  std::lock_guard lock(b.Lock);
  b.Library = name;
}

}  // namespace serial
