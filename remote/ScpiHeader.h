#pragma once
// Program mnemonics in their SCPI spelling and the header patterns of the
// command tree. Plain C++.

#include <string>
#include <string_view>
#include <vector>

namespace remote {

// A keyword spelt as SCPI documents it: the upper-case letters are the
// short form, the whole word the long form ("FREQuency": FREQ or
// FREQUENCY, nothing in between). Hyphens belong to both forms, other
// characters to the long form only ("BaSic_WaVe": BSWV or BASIC_WAVE).
// Matches text already in upper case.
class TMnemonic {
 public:
  explicit TMnemonic(std::string_view spelling);
  bool Matches(std::string_view upper) const { return upper == Short || upper == Long; }
  const std::string& ShortForm() const { return Short; }

 private:
  std::string Short;
  std::string Long;
};

// A header of the command tree, written like "[SOURce[1]:]FREQuency[:CW]":
// nodes in brackets may be left out, "[1]" after a node allows the numeric
// suffix 1 there (a missing suffix means 1).
class THeaderPattern {
 public:
  enum class TMatch { No, BadSuffix, Yes };

  explicit THeaderPattern(std::string_view pattern);
  // Matches a complete header as typed, upper case, suffixes included.
  TMatch Match(const std::vector<std::string>& mnemonics) const;

 private:
  struct TNode {
    TMnemonic Name;
    bool Optional = false;
    bool Suffix = false;
  };

  TMatch MatchFrom(std::size_t node, const std::vector<std::string>& mnemonics,
                   std::size_t typed) const;

  std::vector<TNode> Nodes;
};

}  // namespace remote
