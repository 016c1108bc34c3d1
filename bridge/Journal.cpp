#include "bridge/Journal.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace bridge {

std::string JournalLine(TLevel level, const std::string& text, bool journal) {
  std::string line = journal ? "<" + std::to_string(static_cast<int>(level)) + ">"
                             : std::string("zolvek-bridge: ");
  // One event, one line: a line break inside the text would split it.
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  return line + "\n";
}

// systemd sets JOURNAL_STREAM to "DEVICE:INODE" of the stream it connected;
// a child whose standard error was redirected elsewhere inherits the
// variable, so the descriptor itself must match.
bool StandardErrorIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (stream == nullptr) return false;
  struct stat status {};
  if (::fstat(2, &status) != 0) return false;
  const std::string expected = std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
  return std::string_view(stream) == expected;
}

void SayOnStandardError(TLevel level, const std::string& text) {
  static const bool journal = StandardErrorIsJournal();
  std::fputs(JournalLine(level, text, journal).c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace bridge
