#pragma once
// Run-time binding of the device-setup library: libudev.so.1 on POSIX
// (entry points in UdevApi.h), SetupApi.dll on Win32 (SetupDiApi.h). Nothing
// links against it: the entry points are bound by name through
// TModuleLoader, so the program runs without the library.
//
// Loads are counted: the first loads the library, later ones only count; the
// release that brings the count to zero frees it and clears every binding.
// Thread contract: Load/Release are safe from any thread; the bound entry
// points stay valid between a successful load and its matching release.

#include <string>

namespace serial {

class TModuleLoader;

// True when the library was found and every entry point was bound.
bool LoadSetupApi();
// Must be called once for every LoadSetupApi, whatever it returned.
void ReleaseSetupApi();
bool IsSetupApiLoaded();

// The library to load; tests point it elsewhere. Takes effect at the next
// first load.
void SetSetupApiLibrary(const std::string& name);
std::string DefaultSetupApiLibrary();

// Scoped load and release.
class TSetupApiUse {
 public:
  TSetupApiUse() : FLoaded(LoadSetupApi()) {}
  ~TSetupApiUse() { ReleaseSetupApi(); }
  TSetupApiUse(const TSetupApiUse&) = delete;
  TSetupApiUse& operator=(const TSetupApiUse&) = delete;
  bool Loaded() const { return FLoaded; }

 private:
  bool FLoaded;
};

// Each half's table of entry points, filled and cleared under the binding's
// lock: true when every entry point was found.
bool BindSetupApiEntries(TModuleLoader& loader);
void ClearSetupApiEntries();

}  // namespace serial
