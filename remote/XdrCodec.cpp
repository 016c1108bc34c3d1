#include "remote/XdrCodec.h"

namespace remote {
namespace {

constexpr std::size_t Padded(std::size_t length) { return (length + 3) & ~std::size_t{3}; }

}  // namespace

bool TXdrReader::Fail() {
  Broken = true;
  return false;
}

bool TXdrReader::Word(std::uint32_t& value) {
  if (Broken || Bytes.size() - Pos < 4) return Fail();
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(Bytes[Pos + i]));
  };
  value = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
  Pos += 4;
  return true;
}

bool TXdrReader::Integer(std::int32_t& value) {
  std::uint32_t word = 0;
  if (!Word(word)) return false;
  value = static_cast<std::int32_t>(word);
  return true;
}

bool TXdrReader::Boolean(bool& value) {
  std::uint32_t word = 0;
  if (!Word(word)) return false;
  if (word > 1) return Fail();
  value = word == 1;
  return true;
}

bool TXdrReader::Opaque(std::string_view& value, std::uint32_t maxLength) {
  std::uint32_t length = 0;
  if (!Word(length)) return false;
  if (length > maxLength || Padded(length) > Bytes.size() - Pos) return Fail();
  value = Bytes.substr(Pos, length);
  Pos += Padded(length);
  return true;
}

void TXdrWriter::Word(std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 8), static_cast<char>(value)};
  Bytes.append(bytes, 4);
}

void TXdrWriter::Opaque(std::string_view bytes) {
  Word(static_cast<std::uint32_t>(bytes.size()));
  Bytes += bytes;
  Bytes.append(Padded(bytes.size()) - bytes.size(), '\0');
}

}  // namespace remote
