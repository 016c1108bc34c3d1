#pragma once
// XDR, the encoding of ONC RPC: big-endian 4-byte words, and opaque data
// and strings as a length word, the bytes and zero padding to a multiple
// of 4. The reader never reads past its bytes and refuses lengths over the
// caller's limit, so that nothing a client sends makes it allocate. Plain
// C++; any thread, one object per thread.

#include <cstdint>
#include <string>
#include <string_view>

namespace remote {

class TXdrReader {
 public:
  explicit TXdrReader(std::string_view bytes) : Bytes(bytes) {}

  // Each answers false, and leaves the value alone, when the bytes end
  // first or the item is not valid; the reader then stays failed.
  bool Word(std::uint32_t& value);
  bool Integer(std::int32_t& value);
  bool Boolean(bool& value);
  // A variable-length opaque or string of at most maxLength bytes; the view
  // points into the reader's bytes.
  bool Opaque(std::string_view& value, std::uint32_t maxLength);

  bool Failed() const { return Broken; }
  std::string_view Rest() const { return Bytes.substr(Pos); }

 private:
  bool Fail();

  std::string_view Bytes;
  std::size_t Pos = 0;
  bool Broken = false;
};

class TXdrWriter {
 public:
  void Word(std::uint32_t value);
  void Integer(std::int32_t value) { Word(static_cast<std::uint32_t>(value)); }
  void Boolean(bool value) { Word(value ? 1 : 0); }
  void Opaque(std::string_view bytes);
  // Bytes already in XDR, such as a procedure's results.
  void Raw(std::string_view bytes) { Bytes += bytes; }

  const std::string& Data() const { return Bytes; }
  std::string Take() { return std::move(Bytes); }

 private:
  std::string Bytes;
};

}  // namespace remote
