#include "app/EventWait.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "platform/MultimediaTimer.h"

namespace app {

// Short sleeps between the rounds of events keep the wait off the CPU.
void WaitProcessingEvents(unsigned ms) {
  const std::uint32_t start = platform::GetTickCount32();
  while (platform::GetTickCount32() - start < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace app
