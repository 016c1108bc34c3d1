#pragma once
// The entries of the command tree, kept apart by subject. Plain C++.

#include <span>

#include "remote/ScpiCommands.h"

namespace remote {

// Answers 0 or the SCPI error; param is the one parameter the form takes,
// or null when it takes none (a query's MIN|MAX is optional).
using THandler = int (*)(TCommandContext& context, const TParam* param);

struct TCommand {
  const char* Pattern;     // "*IDN" or "[SOURce[1]:]FREQuency[:CW]"
  THandler Set;            // null: no setting form
  THandler Query;          // null: no query form
  bool SetTakesValue;      // the setting form takes one parameter
  bool QueryTakesLimit;    // the query form takes an optional MIN|MAX|DEF
};

// IEEE 488.2 common commands and the SYSTem subsystem.
std::span<const TCommand> CommonCommands();
std::span<const TCommand> SystemCommands();
// The generator's settings.
std::span<const TCommand> GeneratorCommands();

}  // namespace remote
