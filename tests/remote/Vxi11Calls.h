#pragma once
// Builds the calls a VXI-11 client sends and reads the replies, for the
// VXI-11 tests and the fuzzer.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "remote/RpcMessage.h"
#include "remote/Vxi11Messages.h"
#include "remote/XdrCodec.h"

namespace remote::test {

// A call message with a null credential and verifier (no record mark).
inline std::string CallMessage(std::uint32_t xid, std::uint32_t program, std::uint32_t version,
                               std::uint32_t procedure, std::string_view args = {}) {
  TXdrWriter w;
  for (const std::uint32_t word : {xid, 0u, 2u, program, version, procedure, 0u, 0u, 0u, 0u})
    w.Word(word);
  w.Raw(args);
  return w.Take();
}

inline std::string CoreCall(std::uint32_t procedure, std::string_view args, std::uint32_t xid = 7) {
  return CallMessage(xid, vxi11::CoreProgram, vxi11::CoreVersion, procedure, args);
}

inline std::string Words(std::initializer_list<std::uint32_t> words) {
  TXdrWriter w;
  for (const std::uint32_t word : words) w.Word(word);
  return w.Take();
}

inline std::string CreateLinkArgs(std::string_view device = "inst0", bool lock = false) {
  TXdrWriter w;
  w.Integer(12345);
  w.Boolean(lock);
  w.Word(0);
  w.Opaque(device);
  return w.Take();
}

inline std::string WriteArgs(std::int32_t link, std::string_view data,
                             std::int32_t flags = vxi11::flag::End,
                             std::uint32_t ioTimeout = 2000) {
  TXdrWriter w;
  w.Integer(link);
  w.Word(ioTimeout);
  w.Word(0);
  w.Integer(flags);
  w.Opaque(data);
  return w.Take();
}

inline std::string ReadArgs(std::int32_t link, std::uint32_t size = 4096,
                            std::uint32_t ioTimeout = 2000, std::int32_t flags = 0,
                            char termChar = 0) {
  return Words({static_cast<std::uint32_t>(link), size, ioTimeout, 0,
                static_cast<std::uint32_t>(flags), static_cast<unsigned char>(termChar)});
}

// Device_GenericParms: link, flags, lock_timeout, io_timeout.
inline std::string GenericArgs(std::int32_t link) {
  return Words({static_cast<std::uint32_t>(link), 0, 0, 1000});
}
inline std::string LinkArgs(std::int32_t link) { return Words({static_cast<std::uint32_t>(link)}); }

struct TReply {
  bool Accepted = false;  // an accepted reply that decoded
  std::uint32_t Xid = 0;
  std::uint32_t Stat = 0;  // accept_stat
  std::string Results;
  // The results' words, then a read's data.
  std::vector<std::int32_t> Word;
  std::string Data;
};

// Reads an accepted reply; words is how many result words to decode, and
// a read's opaque data follows them when withData.
inline TReply ParseReply(std::string_view message, int words = 0, bool withData = false) {
  TReply reply;
  TXdrReader r(message);
  std::uint32_t type = 1, status = 1, flavor = 0;
  std::string_view verifier;
  if (!(r.Word(reply.Xid) && r.Word(type) && type == 1 && r.Word(status) && status == 0 &&
        r.Word(flavor) && r.Opaque(verifier, 400) && r.Word(reply.Stat)))
    return reply;
  reply.Results = std::string(r.Rest());
  for (int i = 0; i < words; ++i) {
    std::int32_t word = 0;
    if (!r.Integer(word)) return reply;
    reply.Word.push_back(word);
  }
  std::string_view data;
  if (withData && !r.Opaque(data, 1 << 20)) return reply;
  reply.Data = std::string(data);
  reply.Accepted = true;
  return reply;
}

}  // namespace remote::test
