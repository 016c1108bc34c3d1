#pragma once
// The SetupApi.dll entry points that the Win32 half binds (SetupApi.h loads
// them). The registry calls come from advapi32, linked as usual.
//
// Thread contract: read the table only between a successful LoadSetupApi
// and its matching release.

#include <windows.h>
#include <setupapi.h>

#include "serial/SetupApi.h"

namespace serial {

struct TSetupDiApi {
  BOOL(WINAPI* SetupDiClassGuidsFromNameA)(PCSTR, LPGUID, DWORD, PDWORD) = nullptr;
  HDEVINFO(WINAPI* SetupDiGetClassDevsA)(const GUID*, PCSTR, HWND, DWORD) = nullptr;
  BOOL(WINAPI* SetupDiEnumDeviceInfo)(HDEVINFO, DWORD, PSP_DEVINFO_DATA) = nullptr;
  BOOL(WINAPI* SetupDiGetDeviceRegistryPropertyA)
  (HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD, PBYTE, DWORD, PDWORD) = nullptr;
  HKEY(WINAPI* SetupDiOpenDevRegKey)
  (HDEVINFO, PSP_DEVINFO_DATA, DWORD, DWORD, DWORD, REGSAM) = nullptr;
  BOOL(WINAPI* SetupDiDestroyDeviceInfoList)(HDEVINFO) = nullptr;
};

// The bindings; all null unless loaded.
const TSetupDiApi& SetupDiApi();

}  // namespace serial
