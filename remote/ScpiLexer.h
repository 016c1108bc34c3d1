#pragma once
// Splits one program message (a line without its terminator) into program
// message units: the header as typed and the parameters, each checked for
// syntax only. What a header means is the dispatcher's business. Plain C++.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace remote {

enum class TParamKind { Number, Keyword, String };

struct TParam {
  TParamKind Kind = TParamKind::Number;
  double Number = 0.0;  // Number; infinite when the exponent overflows
  std::string Suffix;   // Number: its unit suffix in upper case, empty if none
  std::string Text;     // Keyword in upper case; String without its quotes
};

struct THeader {
  bool Common = false;                 // a '*' command; Mnemonics holds its name
  bool Rooted = false;                 // began with ':'
  std::vector<std::string> Mnemonics;  // upper case, numeric suffix included
  bool Query = false;
};

struct TUnit {
  bool Empty = false;  // nothing between two separators
  int Error = 0;       // the SCPI error that stopped the unit, 0 if none
  THeader Header;
  std::vector<TParam> Params;
};

// Reads the unit that starts at pos; pos then stands after its ';' or at the
// end of the line. After a syntax error the rest of that unit is skipped.
TUnit ReadUnit(std::string_view line, std::size_t& pos);

constexpr bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// SCPI white space: every control character and the blank, except the line
// feed, which ends a message.
constexpr bool IsWhite(char c) { return (static_cast<unsigned char>(c) <= 0x20 && c != '\n'); }

}  // namespace remote
