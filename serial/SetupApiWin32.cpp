// Win32 half of the device-setup binding: the SetupApi.dll entry points.

#include "serial/ModuleLoader.h"
#include "serial/SetupDiApi.h"

namespace serial {
namespace {

TSetupDiApi Api;  // written under the binding's lock (SetupApi.cpp)

}  // namespace

std::string DefaultSetupApiLibrary() { return "SetupApi.dll"; }

bool BindSetupApiEntries(TModuleLoader& loader) {
#define ZOLVEK_BIND(name) loader.BindTo(Api.name, #name)
  ZOLVEK_BIND(SetupDiClassGuidsFromNameA);
  ZOLVEK_BIND(SetupDiGetClassDevsA);
  ZOLVEK_BIND(SetupDiEnumDeviceInfo);
  ZOLVEK_BIND(SetupDiGetDeviceRegistryPropertyA);
  ZOLVEK_BIND(SetupDiOpenDevRegKey);
  ZOLVEK_BIND(SetupDiDestroyDeviceInfoList);
#undef ZOLVEK_BIND
  return loader.AllFound();
}

void ClearSetupApiEntries() { Api = TSetupDiApi{}; }

const TSetupDiApi& SetupDiApi() { return Api; }

}  // namespace serial
