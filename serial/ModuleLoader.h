#pragma once
// Loads a shared library at run time and binds its entry points by name,
// keeping a running flag that says whether every entry point was found.
// One loader per binding; the owner serialises its use.

#include <string>

namespace serial {

class TModuleLoader {
 public:
  TModuleLoader() = default;
  ~TModuleLoader() { Free(); }
  TModuleLoader(const TModuleLoader&) = delete;
  TModuleLoader& operator=(const TModuleLoader&) = delete;

  // Loads the library; false (and AllFound false) if it cannot be loaded.
  bool Load(const std::string& library);
  void Free();
  bool Loaded() const { return Handle != nullptr; }
  // Looks up one entry point; a miss clears AllFound and gives null.
  void* Bind(const char* name);
  // Binds one entry point into a typed function pointer.
  template <typename F>
  void BindTo(F& entry, const char* name) {
    entry = reinterpret_cast<F>(Bind(name));
  }
  bool AllFound() const { return FAllFound; }

 private:
  void* Handle = nullptr;
  bool FAllFound = false;
};

}  // namespace serial
