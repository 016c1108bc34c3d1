// Win32 half of the port list: the present devices of the class "Ports"
// through SetupApi.dll (bound at run time), each with its friendly name and
// the "PortName" value of its hardware key.

#include <windows.h>

#include <memory>
#include <vector>

#include "serial/PortList.h"
#include "serial/SetupDiApi.h"

namespace serial {
namespace {

// A registry value or property read as text ends at its first zero.
std::string TextOf(const std::vector<char>& buffer) {
  std::string text(buffer.data(), buffer.size());
  return text.substr(0, text.find('\0'));
}

bool ReadFriendlyName(const TSetupDiApi& api, HDEVINFO devices, SP_DEVINFO_DATA& device,
                      std::string& name) {
  DWORD size = 0;
  api.SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_FRIENDLYNAME, nullptr, nullptr, 0,
                                        &size);
  std::vector<char> buffer(size);
  if (!api.SetupDiGetDeviceRegistryPropertyA(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                             reinterpret_cast<PBYTE>(buffer.data()), size, nullptr))
    return false;
  name = TextOf(buffer);
  return true;
}

// The "PortName" value of the device's hardware key, read into a buffer
// one byte longer than the key's longest value.
bool ReadPortName(HKEY key, std::string& portName) {
  DWORD longest = 0;
  if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &longest, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<char> buffer(longest + 1, '\0');
  DWORD size = longest + 1;
  if (::RegQueryValueExA(key, "PortName", nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer.data()),
                         &size) != ERROR_SUCCESS)
    return false;
  portName = TextOf(buffer);
  return true;
}

std::vector<TPortEntry> ScanPorts(const TSetupDiApi& api, HDEVINFO devices) {
  std::vector<TPortEntry> ports;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;  // 28 on 32-bit Windows, 32 on 64-bit
    if (!api.SetupDiEnumDeviceInfo(devices, index, &device)) break;
    std::string friendly;
    if (!ReadFriendlyName(api, devices, device, friendly)) continue;
    const HKEY key =
        api.SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE || key == nullptr) continue;
    std::string portName;
    if (ReadPortName(key, portName) && portName.rfind("COM", 0) == 0)
      ports.push_back({portName, friendly});
    ::RegCloseKey(key);
  }
  return ports;
}

}  // namespace

std::optional<std::vector<TPortEntry>> EnumerateHardwarePorts() {
  TSetupApiUse use;
  if (!use.Loaded()) return std::nullopt;
  const TSetupDiApi& api = SetupDiApi();
  GUID portsClass{};
  DWORD found = 0;
  if (!api.SetupDiClassGuidsFromNameA("Ports", &portsClass, 1, &found) || found == 0)
    return std::vector<TPortEntry>{};
  const HDEVINFO devices = api.SetupDiGetClassDevsA(&portsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) return std::vector<TPortEntry>{};
  // The list goes whatever happens while it is read.
  struct TDestroy {
    const TSetupDiApi* Api;
    void operator()(void* list) const { Api->SetupDiDestroyDeviceInfoList(list); }
  };
  std::unique_ptr<void, TDestroy> owned(devices, TDestroy{&api});
  return ScanPorts(api, devices);
}

std::string VirtualPortDirectory() { return {}; }

std::string PortPathFor(const std::string& name) { return "\\\\.\\" + name; }

}  // namespace serial
