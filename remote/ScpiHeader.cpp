#include "remote/ScpiHeader.h"

#include <algorithm>

#include "remote/ScpiLexer.h"

namespace remote {
namespace {

// "SOUR1" is the mnemonic SOUR with the suffix "1".
std::pair<std::string_view, std::string_view> SplitSuffix(std::string_view typed) {
  std::size_t end = typed.size();
  while (end > 0 && IsDigit(typed[end - 1])) --end;
  return {typed.substr(0, end), typed.substr(end)};
}

bool IsSuffixOne(std::string_view digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first != std::string_view::npos && digits.substr(first) == "1";
}

}  // namespace

TMnemonic::TMnemonic(std::string_view spelling) {
  for (const char c : spelling) {
    const bool upper = c >= 'A' && c <= 'Z';
    if (upper || IsDigit(c) || c == '-') Short += c;
    Long += upper || !IsAlpha(c) ? c : static_cast<char>(c - 'a' + 'A');
  }
}

THeaderPattern::THeaderPattern(std::string_view pattern) {
  std::size_t pos = 0;
  const auto skip = [&](char c) {
    if (pos < pattern.size() && pattern[pos] == c) ++pos;
  };
  while (pos < pattern.size()) {
    if (pattern[pos] == ':') {
      ++pos;
      continue;
    }
    const bool optional = pattern.compare(pos, 3, "[1]") != 0 && pattern[pos] == '[';
    if (optional) ++pos;
    skip(':');
    const std::size_t start = pos;
    while (pos < pattern.size() &&
           (IsAlpha(pattern[pos]) || pattern[pos] == '_' || pattern[pos] == '-'))
      ++pos;
    TNode node{TMnemonic(pattern.substr(start, pos - start)), optional, false};
    if (pattern.compare(pos, 3, "[1]") == 0) {
      node.Suffix = true;
      pos += 3;
    }
    if (optional) {
      skip(':');
      skip(']');
    }
    Nodes.push_back(std::move(node));
  }
}

THeaderPattern::TMatch THeaderPattern::Match(const std::vector<std::string>& mnemonics) const {
  return MatchFrom(0, mnemonics, 0);
}

THeaderPattern::TMatch THeaderPattern::MatchFrom(std::size_t node,
                                                 const std::vector<std::string>& mnemonics,
                                                 std::size_t typed) const {
  if (node == Nodes.size()) return typed == mnemonics.size() ? TMatch::Yes : TMatch::No;
  TMatch best = Nodes[node].Optional ? MatchFrom(node + 1, mnemonics, typed) : TMatch::No;
  if (best == TMatch::Yes || typed == mnemonics.size()) return best;
  const auto [name, suffix] = SplitSuffix(mnemonics[typed]);
  if (!Nodes[node].Name.Matches(name)) return best;
  TMatch rest = MatchFrom(node + 1, mnemonics, typed + 1);
  const bool suffixOk = suffix.empty() || (Nodes[node].Suffix && IsSuffixOne(suffix));
  if (rest == TMatch::Yes && !suffixOk) rest = TMatch::BadSuffix;
  return std::max(best, rest);
}

}  // namespace remote
