#include "serial/QtEventDelivery.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "serial/EventDelivery.h"

namespace serial {
namespace {

using namespace std::chrono_literals;

// One call waiting for the GUI thread, and its outcome for the event thread.
struct TCall {
  std::function<void()> Run;
  bool Done = false;
  std::exception_ptr Failure;
};

// The calls travel through this queue under its own lock; Qt only carries
// an empty wake-up event. That keeps every hand-over between the threads
// under a lock that the thread sanitizer can see.
class TCallQueue {
 public:
  void Push(TCall& call) {
    std::lock_guard lock(Lock);
    Waiting.push_back(&call);
  }

  // GUI thread: runs every waiting call and wakes its event thread.
  void RunWaiting() {
    std::unique_lock lock(Lock);
    while (!Waiting.empty()) {
      TCall* call = Waiting.front();
      Waiting.pop_front();
      lock.unlock();
      std::exception_ptr failure;
      try {
        call->Run();
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      call->Failure = failure;
      call->Done = true;
      Ended.notify_all();
    }
  }

  void WaitDone(TCall& call) {
    std::unique_lock lock(Lock);
    Ended.wait(lock, [&] { return call.Done; });
  }

 private:
  std::mutex Lock;
  std::condition_variable Ended;
  std::deque<TCall*> Waiting;
};

class TReceiver : public QObject {
 public:
  explicit TReceiver(std::shared_ptr<TCallQueue> queue) : Queue(std::move(queue)) {}

 protected:
  void customEvent(QEvent*) override { Queue->RunWaiting(); }

 private:
  std::shared_ptr<TCallQueue> Queue;
};

const QEvent::Type WakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TQtEventDelivery final : public TGuiDelivery {
 public:
  // The receiver is made on the opening thread and handed to the GUI thread.
  explicit TQtEventDelivery(QThread* guiThread) : Receiver(new TReceiver(Queue)) {
    if (Receiver->thread() != guiThread) Receiver->moveToThread(guiThread);
  }
  // The receiver lives on the GUI thread; only that thread may delete it.
  ~TQtEventDelivery() override {
    if (!Receiver) return;
    if (QThread::currentThread() == Receiver->thread())
      delete Receiver.data();
    else
      Receiver->deleteLater();
  }

  void Deliver(const std::function<void()>& run) override {
    if (!Receiver || QThread::currentThread() == Receiver->thread()) return run();
    // The wake-up exists before the call is queued, so the GUI thread that
    // frees it has taken the queue's lock after its allocation.
    auto wake = std::make_unique<QEvent>(WakeEvent);
    TCall call{run, false, nullptr};
    Queue->Push(call);
    QCoreApplication::postEvent(Receiver.data(), wake.release());
    Queue->WaitDone(call);
    if (call.Failure) std::rethrow_exception(call.Failure);
  }

  void WaitServing(const std::function<bool()>& finished) override {
    const bool onGuiThread = Receiver && QThread::currentThread() == Receiver->thread();
    while (!finished()) {
      // Only the event thread's own calls run here, so nothing else re-enters.
      if (onGuiThread) Queue->RunWaiting();
      std::this_thread::sleep_for(1ms);
    }
  }

 private:
  std::shared_ptr<TCallQueue> Queue = std::make_shared<TCallQueue>();
  QPointer<TReceiver> Receiver;
};

std::shared_ptr<TGuiDelivery> MakeQtEventDelivery() {
  const QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return nullptr;
  return std::make_shared<TQtEventDelivery>(app->thread());
}

const bool Registered = (SetGuiDeliveryFactory(&MakeQtEventDelivery), true);

}  // namespace

bool QtEventDeliveryRegistered() { return Registered; }

}  // namespace serial

// What the link of every consumer of the Qt library asks for, so that the
// registration above is linked (serial/CMakeLists.txt).
extern "C" const bool zolvek_qt_event_delivery = serial::QtEventDeliveryRegistered();
