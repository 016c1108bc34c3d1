#pragma once
// The bridge's log: one line per event on standard error. Under systemd,
// whose journal reads standard error, each line begins with its syslog
// priority ("<4>"), which the journal takes as the line's level; on a
// terminal it begins with "zolvek-bridge: ". Any thread.

#include <functional>
#include <string>

namespace bridge {

enum class TLevel { Error = 3, Warning = 4, Notice = 5, Info = 6 };

using TSay = std::function<void(TLevel, const std::string&)>;

// The line as it is written, for standard error that is (journal) or is
// not the journal's stream.
std::string JournalLine(TLevel level, const std::string& text, bool journal);
// True when standard error is the stream systemd named in JOURNAL_STREAM.
bool StandardErrorIsJournal();
// Writes the line to standard error.
void SayOnStandardError(TLevel level, const std::string& text);

}  // namespace bridge
