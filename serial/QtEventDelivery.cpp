#include "serial/QtEventDelivery.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "serial/EventDelivery.h"

namespace serial {
namespace {

using namespace std::chrono_literals;

struct TCallState {
  std::mutex Lock;
  std::condition_variable Ended;
  bool Done = false;
  std::exception_ptr Failure;
};

class TQtEventDelivery final : public TGuiDelivery {
 public:
  TQtEventDelivery() : Receiver(new QObject) {}
  // The receiver lives on the GUI thread; only that thread may delete it.
  ~TQtEventDelivery() override {
    if (!Receiver) return;
    if (QThread::currentThread() == Receiver->thread())
      delete Receiver.data();
    else
      Receiver->deleteLater();
  }

  void Deliver(const std::function<void()>& call) override {
    if (!Receiver || QThread::currentThread() == Receiver->thread()) return call();
    auto state = std::make_shared<TCallState>();
    QMetaObject::invokeMethod(
        Receiver.data(),
        [call, state] {
          try {
            call();
          } catch (...) {
            state->Failure = std::current_exception();
          }
          std::lock_guard lock(state->Lock);
          state->Done = true;
          state->Ended.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(state->Lock);
    state->Ended.wait(lock, [&] { return state->Done; });
    if (state->Failure) std::rethrow_exception(state->Failure);
  }

  void WaitServing(const std::function<bool()>& finished) override {
    const bool onGuiThread = Receiver && QThread::currentThread() == Receiver->thread();
    while (!finished()) {
      // Only our own posted calls run here, so nothing else re-enters.
      if (onGuiThread) QCoreApplication::sendPostedEvents(Receiver.data(), QEvent::MetaCall);
      std::this_thread::sleep_for(1ms);
    }
  }

 private:
  QPointer<QObject> Receiver;
};

}  // namespace

void InstallQtEventDelivery() { SetGuiDelivery(std::make_shared<TQtEventDelivery>()); }

}  // namespace serial
