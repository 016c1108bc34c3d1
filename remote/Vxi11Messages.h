#pragma once
// The VXI-11 core channel's program, procedures, error codes and the XDR
// of its argument and result structures. Plain C++.

#include <cstdint>
#include <string_view>

#include "remote/XdrCodec.h"

namespace remote::vxi11 {

constexpr std::uint32_t CoreProgram = 0x0607AF;
constexpr std::uint32_t CoreVersion = 1;

namespace proc {
enum TProcedure : std::uint32_t {
  Null = 0,
  CreateLink = 10,
  DeviceWrite = 11,
  DeviceRead = 12,
  DeviceReadStb = 13,
  DeviceTrigger = 14,
  DeviceClear = 15,
  DeviceRemote = 16,
  DeviceLocal = 17,
  DeviceLock = 18,
  DeviceUnlock = 19,
  DeviceEnableSrq = 20,
  DeviceDoCmd = 22,
  DestroyLink = 23,
  CreateIntrChan = 25,
  DestroyIntrChan = 26
};
}  // namespace proc

namespace error {
constexpr std::int32_t None = 0;
constexpr std::int32_t DeviceNotAccessible = 3;
constexpr std::int32_t InvalidLink = 4;
constexpr std::int32_t Parameter = 5;
constexpr std::int32_t ChannelNotEstablished = 6;
constexpr std::int32_t NotSupported = 8;
constexpr std::int32_t OutOfResources = 9;
constexpr std::int32_t Locked = 11;
constexpr std::int32_t NoLockHeld = 12;
constexpr std::int32_t IoTimeout = 15;
constexpr std::int32_t IoError = 17;
}  // namespace error

namespace flag {
constexpr std::int32_t WaitLock = 0x01;
constexpr std::int32_t End = 0x08;
constexpr std::int32_t TermCharSet = 0x80;
}  // namespace flag

namespace reason {
constexpr std::int32_t RequestCount = 1;
constexpr std::int32_t Character = 2;
constexpr std::int32_t End = 4;
}  // namespace reason

// The longest device name taken ("inst0").
constexpr std::uint32_t MaxDeviceName = 64;

struct TCreateLinkParms {
  std::int32_t ClientId = 0;
  bool LockDevice = false;
  std::uint32_t LockTimeout = 0;
  std::string_view Device;
};

struct TWriteParms {
  std::int32_t Link = 0;
  std::uint32_t IoTimeout = 0;
  std::uint32_t LockTimeout = 0;
  std::int32_t Flags = 0;
  std::string_view Data;
};

struct TReadParms {
  std::int32_t Link = 0;
  std::uint32_t RequestSize = 0;
  std::uint32_t IoTimeout = 0;
  std::uint32_t LockTimeout = 0;
  std::int32_t Flags = 0;
  char TermChar = 0;
};

// Device_GenericParms; its order differs from the write and read structures.
struct TGenericParms {
  std::int32_t Link = 0;
  std::int32_t Flags = 0;
  std::uint32_t LockTimeout = 0;
  std::uint32_t IoTimeout = 0;
};

struct TLockParms {
  std::int32_t Link = 0;
  std::int32_t Flags = 0;
  std::uint32_t LockTimeout = 0;
};

// Each answers false for arguments that do not decode (GARBAGE_ARGS); the
// views point into the arguments. Data longer than maxData fails too.
bool Decode(std::string_view args, TCreateLinkParms& parms);
bool Decode(std::string_view args, TWriteParms& parms, std::uint32_t maxData);
bool Decode(std::string_view args, TReadParms& parms);
bool Decode(std::string_view args, TGenericParms& parms);
bool Decode(std::string_view args, TLockParms& parms);
// Device_Link alone (destroy_link, device_unlock).
bool DecodeLink(std::string_view args, std::int32_t& link);

std::string CreateLinkResp(std::int32_t error, std::int32_t link, std::uint16_t abortPort,
                           std::uint32_t maxRecvSize);
std::string WriteResp(std::int32_t error, std::uint32_t size);
std::string ReadResp(std::int32_t error, std::int32_t reason, std::string_view data);
std::string ReadStbResp(std::int32_t error, std::uint8_t stb);
std::string ErrorResp(std::int32_t error);

}  // namespace remote::vxi11
