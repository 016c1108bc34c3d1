#pragma once
// Turns a mouse wheel's turns into whole notches. Qt reports a turn in
// eighths of a degree, 120 for one notch of a common wheel; a
// high-resolution wheel or a touchpad reports parts of a notch, which add
// up here, the remainder kept for the next turn. Plain C++; one thread.

#include <cstdint>

namespace ui {

class TWheelNotches {
 public:
  static constexpr int EighthsPerNotch = 120;

  // The whole notches completed by this turn: positive away from the user.
  int Add(int eighths) {
    Remainder += eighths;
    const std::int64_t notches = Remainder / EighthsPerNotch;
    Remainder -= notches * EighthsPerNotch;
    return static_cast<int>(notches);
  }

 private:
  std::int64_t Remainder = 0;
};

}  // namespace ui
