// POSIX half of the module loader: dlopen, dlsym, dlclose.

#include "serial/ModuleLoader.h"

#include <dlfcn.h>

namespace serial {

bool TModuleLoader::Load(const std::string& library) {
  Free();
  Handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  FAllFound = Handle != nullptr;
  return FAllFound;
}

void TModuleLoader::Free() {
  if (Handle != nullptr) dlclose(Handle);
  Handle = nullptr;
  FAllFound = false;
}

void* TModuleLoader::Bind(const char* name) {
  void* entry = Handle != nullptr ? dlsym(Handle, name) : nullptr;
  if (entry == nullptr) FAllFound = false;
  return entry;
}

}  // namespace serial
