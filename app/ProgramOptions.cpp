#include "app/ProgramOptions.h"

#include <array>
#include <charconv>
#include <string_view>

namespace app {

namespace {

// The toolkit's options with a value, which may come as the next argument.
constexpr std::array<std::string_view, 8> ToolkitOptionsWithValue = {
    "platform", "display",         "style",   "stylesheet",
    "geometry", "qwindowgeometry", "session", "platformtheme"};

TProgramOptions Refused(std::string error) {
  TProgramOptions options;
  options.Error = std::move(error);
  return options;
}

// The longest idle time-out: a day.
constexpr int LongestIdleTimeout = 86400;

// "--name VALUE" or "--name=VALUE"; false when the argument is another.
bool OptionValue(const std::vector<std::string>& arguments, std::size_t& i, std::string_view name,
                 std::optional<std::string>& value) {
  const std::string& argument = arguments[i];
  if (argument == name) {
    value = i + 1 < arguments.size() ? std::optional<std::string>(arguments[++i]) : std::nullopt;
    if (!value) value = "";
    return true;
  }
  if (argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 &&
      argument[name.size()] == '=') {
    value = argument.substr(name.size() + 1);
    return true;
  }
  return false;
}

std::optional<int> WholeSeconds(const std::string& text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0 ||
      value > LongestIdleTimeout)
    return std::nullopt;
  return value;
}

bool IsToolkitOption(std::string_view name) {
  for (std::string_view known : ToolkitOptionsWithValue)
    if (name == known) return true;
  return name == "reverse";
}

}  // namespace

TProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
  TProgramOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::optional<std::string> value;
    if (OptionValue(arguments, i, "--allow", value)) {
      if (value->empty()) return Refused("--allow needs ADDRESS[/PREFIX][,...]");
      options.Allow = value;
    } else if (OptionValue(arguments, i, "--idle-timeout", value)) {
      options.IdleTimeout = WholeSeconds(*value);
      if (!options.IdleTimeout)
        return Refused("--idle-timeout needs whole seconds, 0 to " +
                       std::to_string(LongestIdleTimeout));
    } else if (argument == "--help" || argument == "-h") {
      options.Help = true;
    } else if (argument == "--version") {
      options.Version = true;
    } else if (argument == "--port" || argument.rfind("--port=", 0) == 0) {
      if (argument == "--port") {
        if (i + 1 >= arguments.size()) return Refused("--port needs a port name");
        options.Port = arguments[++i];
      } else {
        options.Port = argument.substr(7);
      }
      if (options.Port->empty()) return Refused("--port needs a port name");
    } else if (argument == "--remote") {
      options.Remote = "";
    } else if (argument.rfind("--remote=", 0) == 0) {
      options.Remote = argument.substr(9);
    } else if (argument == "--vxi11") {
      options.Vxi11 = "";
    } else if (argument.rfind("--vxi11=", 0) == 0) {
      options.Vxi11 = argument.substr(8);
    } else if (argument.rfind("-", 0) == 0) {
      const std::string_view name =
          std::string_view(argument).substr(argument.rfind("--", 0) == 0 ? 2 : 1);
      if (!IsToolkitOption(name.substr(0, name.find('=')))) {
        return Refused("unknown option " + argument + " (see --help)");
      }
      if (name.find('=') == std::string_view::npos && name != "reverse") ++i;
    } else {
      return Refused("unexpected argument " + argument + " (see --help)");
    }
  }
  if ((options.Allow || options.IdleTimeout) && !options.Remote && !options.Vxi11)
    return Refused("--allow and --idle-timeout are for --remote and --vxi11");
  return options;
}

std::string ProgramUsage() {
  return "Usage: zolvek [--port NAME] [--remote[=[ADDRESS:]PORT]] [--vxi11[=ADDRESS]]\n"
         "              [--allow=ADDRESS[/PREFIX][,...]] [--idle-timeout=SECONDS]\n"
         "Controls a serial DDS function generator; without a device it runs as a\n"
         "demonstration.\n"
         "\n"
         "  --port NAME       connect at start to the named port, as the Connect\n"
         "                    dialog lists it (e.g. sim0, ttyUSB0)\n"
         "  --remote[=[ADDRESS:]PORT]\n"
         "                    accept SCPI commands over TCP (raw socket, one line\n"
         "                    each); 127.0.0.1:5025 unless given, e.g.\n"
         "                    --remote=0.0.0.0:5025 for the lab network\n"
         "  --vxi11[=ADDRESS]  the same commands as a VXI-11 (LXI) instrument, as\n"
         "                    oscilloscopes and lxi-tools find it; 127.0.0.1 unless\n"
         "                    given (an oscilloscope needs the LAN address)\n"
         "  --allow=ADDRESS[/PREFIX][,...]\n"
         "                    take remote clients from these addresses only, e.g.\n"
         "                    --allow=127.0.0.1,192.168.1.0/24; others are closed\n"
         "                    at once and told on standard error (default: all)\n"
         "  --idle-timeout=SECONDS\n"
         "                    close a remote client idle this long (default 300,\n"
         "                    0: never); when all places are taken, a newcomer\n"
         "                    takes the place of the client idle longest once it\n"
         "                    has been idle for 2 s\n"
         "  --help            show this help and exit\n"
         "  --version         show the version and exit\n"
         "\n"
         "Without a display: QT_QPA_PLATFORM=offscreen zolvek --port sim0 --remote\n";
}

}  // namespace app
