#include "remote/ScpiLexer.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "remote/ScpiErrors.h"

namespace remote {
namespace {

constexpr bool IsWordChar(char c) { return IsAlpha(c) || IsDigit(c) || c == '_'; }
constexpr char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// A number that from_chars finds out of range: its decimal magnitude tells
// overflow (infinite) from underflow (zero).
double OutOfRangeValue(std::string_view mantissa, long exponent) {
  const bool negative = !mantissa.empty() && mantissa.front() == '-';
  long magnitude = exponent;
  const std::size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const std::size_t firstWhole = whole.find_first_not_of("+-0");
  if (firstWhole != std::string_view::npos) {
    magnitude += static_cast<long>(whole.size() - firstWhole);
  } else if (point != std::string_view::npos) {
    const std::string_view fraction = mantissa.substr(point + 1);
    magnitude -= static_cast<long>(fraction.find_first_not_of('0'));
  }
  const double value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  return negative ? -value : value;
}

class TReader {
 public:
  TReader(std::string_view line, std::size_t& pos) : Line(line), Pos(pos) {}

  int Header(THeader& header);
  int Params(std::vector<TParam>& params);
  void SkipWhite() {
    while (!AtEnd() && IsWhite(Line[Pos])) ++Pos;
  }
  // Moves past the next ';' outside quotes, or to the end.
  void SkipUnit();
  bool AtUnitEnd() const { return AtEnd() || Line[Pos] == ';'; }
  void TakeSeparator() {
    if (!AtEnd() && Line[Pos] == ';') ++Pos;
  }

 private:
  bool AtEnd() const { return Pos >= Line.size(); }
  char Peek(std::size_t ahead = 0) const {
    return Pos + ahead < Line.size() ? Line[Pos + ahead] : '\n';
  }
  std::string Word();
  std::string HeaderWord();
  int AfterHeader();
  int Param(TParam& param);
  int Number(TParam& param);
  int QuotedString(TParam& param);

  std::string_view Line;
  std::size_t& Pos;
};

std::string TReader::Word() {
  std::string word;
  while (!AtEnd() && IsWordChar(Line[Pos])) word += Upper(Line[Pos++]);
  return word;
}

// A mnemonic; inner hyphens between letters belong to it, as in the
// identity query of Siglent's generators (IDN-SGLT-PRI?).
std::string TReader::HeaderWord() {
  std::string word = Word();
  while (Peek() == '-' && IsAlpha(Peek(1))) {
    ++Pos;
    word += '-' + Word();
  }
  return word;
}

int TReader::Header(THeader& header) {
  if (Peek() == '*') {
    ++Pos;
    header.Common = true;
    if (!IsAlpha(Peek())) return error::Syntax;
    header.Mnemonics.push_back(Word());
  } else {
    if (Peek() == ':') {
      header.Rooted = true;
      ++Pos;
    }
    for (;;) {
      const char c = Peek();
      if (!IsAlpha(c))
        return (c == ':' || IsWhite(c) || c == ';' || c == '\n' || c == '?')
                   ? error::Syntax
                   : error::InvalidCharacter;
      header.Mnemonics.push_back(HeaderWord());
      if (Peek() != ':') break;
      ++Pos;
    }
  }
  if (Peek() == '?') {
    header.Query = true;
    ++Pos;
  }
  return AfterHeader();
}

int TReader::AfterHeader() {
  const char c = Peek();
  if (AtUnitEnd() || IsWhite(c)) return error::None;
  if (c == ',') return error::InvalidSeparator;
  if (IsWordChar(c) || c == '?' || c == ':') return error::Syntax;
  return error::InvalidCharacter;
}

int TReader::Params(std::vector<TParam>& params) {
  SkipWhite();
  if (AtUnitEnd()) return error::None;
  for (;;) {
    TParam param;
    if (const int e = Param(param)) return e;
    params.push_back(std::move(param));
    SkipWhite();
    if (AtUnitEnd()) return error::None;
    if (Peek() != ',') return error::InvalidSeparator;
    ++Pos;
    SkipWhite();
    if (AtUnitEnd()) return error::Syntax;
  }
}

int TReader::Param(TParam& param) {
  const char c = Peek();
  if (IsDigit(c) || c == '+' || c == '-' || c == '.') return Number(param);
  if (IsAlpha(c)) {
    param.Kind = TParamKind::Keyword;
    param.Text = Word();
    return error::None;
  }
  if (c == '"' || c == '\'') return QuotedString(param);
  if (c == '#' || c == '(') return error::DataType;  // blocks, non-decimal numbers, expressions
  return error::InvalidCharacter;
}

int TReader::Number(TParam& param) {
  const std::size_t start = Pos;
  if (Peek() == '+' || Peek() == '-') ++Pos;
  int digits = 0;
  while (IsDigit(Peek())) ++Pos, ++digits;
  if (Peek() == '.') {
    ++Pos;
    while (IsDigit(Peek())) ++Pos, ++digits;
  }
  if (digits == 0) return error::Syntax;
  const std::size_t mantissaEnd = Pos;
  long exponent = 0;
  const bool signedExponent = (Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2));
  if ((Peek() == 'E' || Peek() == 'e') && (IsDigit(Peek(1)) || signedExponent)) {
    ++Pos;
    const bool negative = Peek() == '-';
    if (signedExponent) ++Pos;
    while (IsDigit(Peek())) {
      if (exponent < 100000) exponent = exponent * 10 + (Line[Pos] - '0');
      ++Pos;
    }
    if (negative) exponent = -exponent;
  }
  std::string_view text = Line.substr(start, Pos - start);
  if (text.front() == '+') text.remove_prefix(1);
  param.Kind = TParamKind::Number;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), param.Number);
  if (ec == std::errc::result_out_of_range)
    param.Number = OutOfRangeValue(Line.substr(start, mantissaEnd - start), exponent);
  else if (ec != std::errc() || end != text.data() + text.size())
    return error::Syntax;
  // A unit suffix may follow, after white space too.
  const std::size_t beforeSuffix = Pos;
  SkipWhite();
  if (!IsAlpha(Peek())) {
    Pos = beforeSuffix;
    return error::None;
  }
  param.Suffix = Word();
  return error::None;
}

int TReader::QuotedString(TParam& param) {
  const char quote = Line[Pos++];
  param.Kind = TParamKind::String;
  for (;;) {
    if (AtEnd()) return error::Syntax;
    const char c = Line[Pos++];
    if (c == quote) {
      if (Peek() != quote) return error::None;
      ++Pos;
    }
    param.Text += c;
  }
}

void TReader::SkipUnit() {
  char quote = 0;
  while (!AtEnd()) {
    const char c = Line[Pos++];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      return;
    }
  }
}

}  // namespace

TUnit ReadUnit(std::string_view line, std::size_t& pos) {
  TUnit unit;
  TReader reader(line, pos);
  reader.SkipWhite();
  if (reader.AtUnitEnd()) {
    unit.Empty = true;
    reader.TakeSeparator();
    return unit;
  }
  int e = reader.Header(unit.Header);
  if (!e) e = reader.Params(unit.Params);
  if (e) {
    unit.Error = e;
    reader.SkipUnit();
  } else {
    reader.TakeSeparator();
  }
  return unit;
}

}  // namespace remote
