#pragma once
// The doctor's findings as text, one line each, or as a JSON array.
// Plain functions; any thread.

#include <string>

#include "doctor/Finding.h"

namespace doctor {

// "problem  ttyUSB0  access: TEXT -> fix: FIX"
std::string FindingLine(const TFinding& finding);
std::string TextReport(const TFindings& findings);
// [{"check":"access","port":"ttyUSB0","level":"problem","text":"...","fix":"..."}, ...]
std::string JsonReport(const TFindings& findings);
// text as a JSON string, quotes included.
std::string JsonString(const std::string& text);

}  // namespace doctor
