#pragma once
// The command set: each header of the tree with what its setting form and
// its query form do to the instrument. Plain C++; GUI thread only.

#include <optional>
#include <string>
#include <vector>

#include "remote/ScpiLexer.h"

namespace remote {

class TScpiCore;

// What a command asks of its session once it ran.
enum class TWait {
  None,
  Written,        // *WAI: hold the rest of the input until written
  WrittenThenOne  // *OPC?: the same, then answer 1
};

struct TCommandContext {
  TScpiCore& Core;
  bool MessageAvailable = false;       // the session holds replies (*STB?)
  std::optional<std::string> Reply{};  // a query's reply
  TWait Wait = TWait::None;
  bool Changed = false;  // a setting was taken
};

// Carries out one unit. For a compound header, mnemonics is the whole path
// from the root; errors go to the core's error queue.
void RunCommand(const THeader& header, const std::vector<std::string>& mnemonics,
                const std::vector<TParam>& params, TCommandContext& context);

}  // namespace remote
