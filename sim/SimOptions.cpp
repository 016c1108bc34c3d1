#include "sim/SimOptions.h"

#include <charconv>
#include <stdexcept>

namespace sim {

std::string SimUsage() {
  return "Usage: zolvek-sim [OPTION]...\n"
         "Virtual Zolvek generator on a pseudo-terminal, registered as a virtual serial port\n"
         "in ${XDG_RUNTIME_DIR:-/tmp}/zolvek-ports/. Logs one JSON line per received command.\n"
         "\n"
         "  --name NAME            port name to register (default sim0)\n"
         "  --no-register          do not register a virtual port\n"
         "  --log FILE             write the JSON log to FILE (default: standard output)\n"
         "  --status               show a live status line on the terminal (standard error)\n"
         "  --help                 show this text\n"
         "\n"
         "Faults:\n"
         "  --silent-identify N    give no answer to the first N identify requests\n"
         "  --identity TEXT        answer TEXT instead of Zolvek to identify\n"
         "  --no-linefeed          send the identity without line end, then nothing\n"
         "  --table-fault T:L:K    line L (0..15) of table T (V square, v analog) is\n"
         "                         K: minus-one, empty, nan (not a number) or missing\n"
         "                         (missing: that line and the rest are never sent)\n"
         "  --byte-delay-us US     pause US microseconds before every byte sent\n"
         "  --garbage-every MS     send 8 garbage bytes every MS milliseconds\n"
         "  --garbage-in-reply     send 8 garbage bytes before every answer\n"
         "  --hangup-after N       hang up (close the terminal) after N commands\n"
         "\n"
         "The output stops on \"Z\" and runs again on a waveform command or pulse mode on;\n"
         "a waveform command also ends pulse mode.\n"
         "SIGINT and SIGTERM end the program and remove the port's link.\n";
}

static int ParseCount(const std::string& option, const std::string& text) {
  int value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || value < 0)
    throw std::invalid_argument(option + ": not a count: \"" + text + "\"");
  return value;
}

static TTableFault ParseTableFault(const std::string& text) {
  const auto first = text.find(':');
  const auto second = text.find(':', first == std::string::npos ? first : first + 1);
  if (first != 1 || second == std::string::npos || (text[0] != 'V' && text[0] != 'v'))
    throw std::invalid_argument("--table-fault: expected T:LINE:KIND, got \"" + text + "\"");
  TTableFault fault;
  fault.Table = text[0];
  fault.Line = ParseCount("--table-fault", text.substr(2, second - 2));
  const std::string kind = text.substr(second + 1);
  if (fault.Line > 15) throw std::invalid_argument("--table-fault: line must be 0..15");
  if (kind == "minus-one")
    fault.Fault = TLineFault::MinusOne;
  else if (kind == "empty")
    fault.Fault = TLineFault::Empty;
  else if (kind == "nan")
    fault.Fault = TLineFault::NotANumber;
  else if (kind == "missing")
    fault.Fault = TLineFault::Missing;
  else
    throw std::invalid_argument("--table-fault: unknown kind \"" + kind + "\"");
  return fault;
}

TSimOptions ParseSimOptions(const std::vector<std::string>& args) {
  TSimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(option + ": missing value");
      return args[++i];
    };
    if (option == "--help" || option == "-h")
      options.Help = true;
    else if (option == "--name")
      options.Name = value();
    else if (option == "--no-register")
      options.Register = false;
    else if (option == "--log")
      options.LogFile = value();
    else if (option == "--status")
      options.Status = true;
    else if (option == "--silent-identify")
      options.Faults.SilentIdentifies = ParseCount(option, value());
    else if (option == "--identity")
      options.Faults.Identity = value();
    else if (option == "--no-linefeed")
      options.Faults.IdentityWithoutLineFeed = true;
    else if (option == "--table-fault")
      options.Faults.TableFault = ParseTableFault(value());
    else if (option == "--byte-delay-us")
      options.Faults.ByteDelay = std::chrono::microseconds(ParseCount(option, value()));
    else if (option == "--garbage-every")
      options.Faults.GarbageEvery = std::chrono::milliseconds(ParseCount(option, value()));
    else if (option == "--garbage-in-reply")
      options.Faults.GarbageInReply = true;
    else if (option == "--hangup-after")
      options.Faults.HangUpAfter = ParseCount(option, value());
    else
      throw std::invalid_argument("unknown option \"" + option + "\"");
  }
  return options;
}

}  // namespace sim
