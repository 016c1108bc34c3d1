#pragma once
// SCPI error codes, their standard texts, the error-queue entry and the
// mapping of an instrument's outcome to a code. Plain C++.

#include <string>

#include "remote/Instrument.h"

namespace remote {

namespace error {
constexpr int None = 0;
constexpr int InvalidCharacter = -101;
constexpr int Syntax = -102;
constexpr int InvalidSeparator = -103;
constexpr int DataType = -104;
constexpr int ParameterNotAllowed = -108;
constexpr int MissingParameter = -109;
constexpr int UndefinedHeader = -113;
constexpr int HeaderSuffixOutOfRange = -114;
constexpr int InvalidSuffix = -131;
constexpr int SuffixNotAllowed = -138;
constexpr int Execution = -200;
constexpr int SettingsConflict = -221;
constexpr int DataOutOfRange = -222;
constexpr int IllegalParameterValue = -224;
constexpr int DeviceSpecific = -300;
constexpr int QueueOverflow = -350;
constexpr int InputBufferOverrun = -363;
}  // namespace error

struct TError {
  int Code = error::None;
  std::string Detail;  // optional; follows the text after ';'
};

// The standard text of a code ("No error" for 0).
const char* ErrorText(int code);
// The reply of SYSTem:ERRor?: <code>,"<text>[;<detail>]", quotes doubled.
std::string FormatError(const TError& error);
// 0 for Done, else the code the outcome stands for.
int OutcomeError(TOutcome outcome);

}  // namespace remote
