#include "remote/ScpiErrors.h"

#include "remote/ScpiFormat.h"

namespace remote {

const char* ErrorText(int code) {
  switch (code) {
    case error::None:
      return "No error";
    case error::InvalidCharacter:
      return "Invalid character";
    case error::Syntax:
      return "Syntax error";
    case error::InvalidSeparator:
      return "Invalid separator";
    case error::DataType:
      return "Data type error";
    case error::ParameterNotAllowed:
      return "Parameter not allowed";
    case error::MissingParameter:
      return "Missing parameter";
    case error::UndefinedHeader:
      return "Undefined header";
    case error::HeaderSuffixOutOfRange:
      return "Header suffix out of range";
    case error::InvalidSuffix:
      return "Invalid suffix";
    case error::SuffixNotAllowed:
      return "Suffix not allowed";
    case error::Execution:
      return "Execution error";
    case error::SettingsConflict:
      return "Settings conflict";
    case error::DataOutOfRange:
      return "Data out of range";
    case error::IllegalParameterValue:
      return "Illegal parameter value";
    case error::DeviceSpecific:
      return "Device-specific error";
    case error::QueueOverflow:
      return "Queue overflow";
    case error::InputBufferOverrun:
      return "Input buffer overrun";
    default:
      return "Command error";
  }
}

std::string FormatError(const TError& error) {
  std::string text = ErrorText(error.Code);
  if (!error.Detail.empty()) text += ";" + error.Detail;
  return std::to_string(error.Code) + "," + FormatString(text);
}

int OutcomeError(TOutcome outcome) {
  switch (outcome) {
    case TOutcome::Done:
      return error::None;
    case TOutcome::OutOfRange:
      return error::DataOutOfRange;
    case TOutcome::SettingsConflict:
      return error::SettingsConflict;
    case TOutcome::IllegalValue:
      return error::IllegalParameterValue;
    case TOutcome::Failed:
      return error::Execution;
  }
  return error::Execution;
}

}  // namespace remote
