#pragma once
// The message of the EComPort that an action raises, or "<no EComPort>".

#include <functional>
#include <string>

#include "serial/TinyComms.h"

namespace serial::test {

inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EComPort& e) {
    return e.what();
  }
  return "<no EComPort>";
}

}  // namespace serial::test
