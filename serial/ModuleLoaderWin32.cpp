// Win32 half of the module loader: LoadLibraryA, GetProcAddress, FreeLibrary.

#include <windows.h>

#include "serial/ModuleLoader.h"

namespace serial {

bool TModuleLoader::Load(const std::string& library) {
  Free();
  Handle = reinterpret_cast<void*>(::LoadLibraryA(library.c_str()));
  FAllFound = Handle != nullptr;
  return FAllFound;
}

void TModuleLoader::Free() {
  if (Handle != nullptr) ::FreeLibrary(static_cast<HMODULE>(Handle));
  Handle = nullptr;
  FAllFound = false;
}

void* TModuleLoader::Bind(const char* name) {
  void* entry = Handle != nullptr
                    ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(Handle), name))
                    : nullptr;
  if (entry == nullptr) FAllFound = false;
  return entry;
}

}  // namespace serial
