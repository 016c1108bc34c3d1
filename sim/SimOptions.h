#pragma once
// Command line of the zolvek-sim program.

#include "sim/Faults.h"

#include <string>
#include <vector>

namespace sim {

struct TSimOptions {
  std::string Name = "sim0";
  std::string LogFile;  // empty: standard output
  bool Status = false;
  bool Register = true;
  bool Help = false;
  TFaults Faults;
};

// Parses the arguments after the program name; throws std::invalid_argument
// with a message naming the offending option.
TSimOptions ParseSimOptions(const std::vector<std::string>& args);

// The --help text.
std::string SimUsage();

}  // namespace sim
