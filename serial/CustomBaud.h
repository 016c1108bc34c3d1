#pragma once
// Line rates that termios has no constant for (14400, 56000), set through
// the kernel's termios2 interface. Kept apart because its header cannot
// share a translation unit with <termios.h>.

#include <cstdint>

namespace serial {

// Sets both directions of fd's line to rate; false with errno set on failure.
bool SetCustomLineRate(int fd, std::uint32_t rate);

}  // namespace serial
