#pragma once
// One finding of the connection doctor: what it checked, about which port
// (none for the machine as a whole), how it stands, and the fix to type.

#include <string>
#include <vector>

namespace doctor {

enum class TLevel { Ok, Note, Problem, Unchecked };

struct TFinding {
  std::string Check;  // e.g. "access", "holder", "brltty"
  std::string Port;   // e.g. ttyUSB0; empty for the machine
  TLevel Level = TLevel::Note;
  std::string Text;
  std::string Fix;  // what to type; empty when there is nothing to do
};

using TFindings = std::vector<TFinding>;

const char* LevelName(TLevel level);

}  // namespace doctor
