#pragma once
// The likely cause of a failed open of a serial port, in one line for the
// program's standard error, naming zolvek-doctor for the whole story.
// Looks at the machine (groups, /proc, brltty, ModemManager) as the doctor
// does; changes nothing. On Windows (OpenFailureCauseWin32.cpp) only the
// second form, from the system's error code. Any thread.

#include <string>

namespace doctor {

struct TSystemView;

// e.g. "zolvek: cannot open /dev/ttyUSB0: you (ann) are not in the group
// dialout, ... (fix: sudo usermod ...); run zolvek-doctor for details"
std::string LikelyOpenFailureCause(const TSystemView& view, const std::string& portPath,
                                   int errorNumber);
std::string LikelyOpenFailureCause(const std::string& portPath, int errorNumber);

}  // namespace doctor
