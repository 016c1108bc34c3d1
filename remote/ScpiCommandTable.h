#pragma once
// The entries of the command tree, kept apart by subject. Plain C++.

#include <span>

#include "remote/Instrument.h"
#include "remote/ScpiCommands.h"
#include "remote/ScpiCore.h"

namespace remote {

// Answers 0 or the SCPI error; param is the one parameter the form takes,
// or null when it takes none (a query's MIN|MAX is optional).
using THandler = int (*)(TCommandContext& context, const TParam* param);

struct TCommand {
  const char* Pattern;   // "*IDN" or "[SOURce[1]:]FREQuency[:CW]"
  THandler Set;          // null: no setting form
  THandler Query;        // null: no query form
  bool SetTakesValue;    // the setting form takes one parameter
  bool QueryTakesLimit;  // the query form takes an optional MIN|MAX|DEF
};

// A command of Siglent's generator dialect: its setting form takes a list
// of keywords and values ("BSWV WVTP,SINE,FRQ,1000"), checked by the
// handler.
using TListHandler = int (*)(TCommandContext& context, std::span<const TParam> params);

struct TListCommand {
  const char* Pattern;  // "C[1]:BaSic_WaVe"
  TListHandler Set;     // null: no setting form
  THandler Query;       // null: no query form; takes no parameter
};

// The instrument a handler's command runs against.
inline TInstrument& Device(TCommandContext& context) { return context.Core.Instrument(); }

// 0 and the setting marked changed when the instrument took it, else the
// error of its outcome.
int ApplyOutcome(TCommandContext& context, TOutcome outcome);

// IEEE 488.2 common commands and the SYSTem subsystem.
std::span<const TCommand> CommonCommands();
std::span<const TCommand> SystemCommands();
// The generator's settings.
std::span<const TCommand> GeneratorCommands();
// What a Siglent oscilloscope sends the generator of its Bode plot.
std::span<const TListCommand> SiglentCommands();

}  // namespace remote
