// The port dialog, the removal watcher and the GUI-thread event delivery,
// offscreen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <memory>
#include <fstream>
#include <thread>

#include "serial/ComSel.h"
#include "serial/PortRemovalWatcher.h"
#include "serial/QtEventDelivery.h"
#include "serial/SetupApi.h"
#include "serial/TinyComms.h"
#include "tests/support/PtyPair.h"
#include "tests/serial/TempDir.h"

namespace serial {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct TListerScript {
  std::vector<std::vector<std::string>> Results;
  int Calls = 0;
  TComSelBox::TPortLister Lister() {
    return [this] {
      const auto& result = Results[std::min<std::size_t>(Calls, Results.size() - 1)];
      ++Calls;
      return result;
    };
  }
};

void ShowAndSettle(TComSelBox& box) {
  box.open();
  QApplication::processEvents();
}

TEST(ComSelBoxTest, LayoutAndCaption) {
  TListerScript script{{{}}};
  TComSelBox box(nullptr, script.Lister());
  EXPECT_EQ(box.windowTitle(), "Select Communication Port");
  EXPECT_EQ(box.size(), QSize(371, 213));
  EXPECT_EQ(box.Panel1->geometry(), QRect(8, 8, 354, 161));
  EXPECT_EQ(box.ComListBox->geometry(), QRect(2, 2, 350, 157));
  EXPECT_EQ(box.OKButton->geometry(), QRect(103, 180, 75, 25));
  EXPECT_EQ(box.Button1->geometry(), QRect(191, 180, 75, 25));
  EXPECT_EQ(box.OKButton->text(), "OK");
  EXPECT_EQ(box.Button1->text(), "Cancel");
  EXPECT_TRUE(box.OKButton->isDefault());
  EXPECT_EQ(box.ComListBox->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_FALSE(box.ComListBox->focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(script.Calls, 0) << "the list is built when shown";
}

TEST(ComSelBoxTest, OkWithoutSelectionIsCancel) {
  TListerScript script{{{"ttyS0: 16550A (ttyS0)", "ttyUSB0: FT232R USB UART (ttyUSB0)"}}};
  TComSelBox box(nullptr, script.Lister());
  ShowAndSettle(box);
  ASSERT_EQ(box.ComListBox->count(), 2);
  QTest::mouseClick(box.OKButton, Qt::LeftButton);
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Rejected);
  EXPECT_TRUE(box.SelectedLine().isEmpty());
}

TEST(ComSelBoxTest, OkWithSelectionGivesTheLine) {
  TListerScript script{{{"ttyS0: 16550A (ttyS0)", "ttyUSB0: FT232R USB UART (ttyUSB0)"}}};
  TComSelBox box(nullptr, script.Lister());
  ShowAndSettle(box);
  box.ComListBox->setCurrentRow(1);
  QTest::mouseClick(box.OKButton, Qt::LeftButton);
  EXPECT_EQ(box.result(), QDialog::Accepted);
  EXPECT_EQ(box.SelectedLine(), "ttyUSB0: FT232R USB UART (ttyUSB0)");
}

TEST(ComSelBoxTest, DoubleClickEndsWithOkOnlyWithASelection) {
  TListerScript script{{{"ttyUSB0: FT232R USB UART (ttyUSB0)"}}};
  TComSelBox box(nullptr, script.Lister());
  ShowAndSettle(box);
  // Double-click on the empty part below the only line.
  QTest::mouseDClick(box.ComListBox->viewport(), Qt::LeftButton, {}, QPoint(50, 140));
  QApplication::processEvents();
  EXPECT_TRUE(box.isVisible());
  box.ComListBoxDblClick();
  EXPECT_TRUE(box.isVisible());
  const QRect first = box.ComListBox->visualItemRect(box.ComListBox->item(0));
  QTest::qWait(QApplication::doubleClickInterval() + 50);  // no triple click
  QTest::mouseDClick(box.ComListBox->viewport(), Qt::LeftButton, {}, first.center());
  QApplication::processEvents();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(ComSelBoxTest, EveryShowingListsAfreshWithoutSelection) {
  TListerScript script{{{"COM1: a", "COM2: b"}, {"COM3: c"}}};
  TComSelBox box(nullptr, script.Lister());
  ShowAndSettle(box);
  box.ComListBox->setCurrentRow(0);
  QTest::mouseClick(box.OKButton, Qt::LeftButton);
  ASSERT_EQ(box.result(), QDialog::Accepted);
  ShowAndSettle(box);
  EXPECT_EQ(script.Calls, 2);
  ASSERT_EQ(box.ComListBox->count(), 1);
  EXPECT_EQ(box.ComListBox->item(0)->text(), "COM3: c");
  EXPECT_TRUE(box.SelectedLine().isEmpty());
  QTest::mouseClick(box.Button1, Qt::LeftButton);
  EXPECT_EQ(box.result(), QDialog::Rejected);
}

TEST(ComSelBoxTest, EmptyListCannotEndWithOk) {
  TListerScript script{{{}}};
  TComSelBox box(nullptr, script.Lister());
  ShowAndSettle(box);
  EXPECT_EQ(box.ComListBox->count(), 0);
  box.ComListBoxDblClick();
  EXPECT_TRUE(box.isVisible());
  box.OKButtonClick();
  EXPECT_EQ(box.result(), QDialog::Rejected);
}

// ---- removal watcher --------------------------------------------------------

class TLibraryOverride {
 public:
  explicit TLibraryOverride(const std::string& library) { SetSetupApiLibrary(library); }
  ~TLibraryOverride() { SetSetupApiLibrary(DefaultSetupApiLibrary()); }
};

// The watches alone must tell these: the look at the registry comes once an hour.
constexpr int HourlyLook = 3600 * 1000;

TEST(PortRemovalWatcherTest, VanishedOrStaleLinksAreReported) {
  TLibraryOverride library("libzolvek-no-such-udev.so.1");
  test::TTempDir registry;
  std::ofstream(registry() / "a") << "x";
  std::ofstream(registry() / "b") << "x";
  fs::create_symlink(registry() / "a", registry() / "zolsim0");
  fs::create_symlink(registry() / "b", registry() / "zolsim1");
  auto pty = std::make_unique<test_support::TPtyPair>();
  fs::create_symlink(pty->SlavePath(), registry() / "zolsim2");
  TPortRemovalWatcher watcher(nullptr, QString::fromStdString(registry().string()), HourlyLook);
  EXPECT_FALSE(watcher.MonitoringDevices());
  QSignalSpy spy(&watcher, &TPortRemovalWatcher::PortRemoved);
  fs::remove(registry() / "zolsim0");
  ASSERT_TRUE(spy.wait(2000));
  EXPECT_EQ(spy.takeFirst().at(0).toString(), "zolsim0");
  fs::remove(registry() / "b");  // a target gone from the registry's own folder
  ASSERT_TRUE(spy.wait(2000));
  EXPECT_EQ(spy.takeFirst().at(0).toString(), "zolsim1");
  pty.reset();  // the generator's pseudo-terminal went away, its link stays
  ASSERT_TRUE(spy.wait(2000));
  EXPECT_EQ(spy.takeFirst().at(0).toString(), "zolsim2");
  EXPECT_FALSE(spy.wait(100)) << "each removal is told once";
}

// A generator that starts after the program, answers and hangs up at once.
TEST(PortRemovalWatcherTest, ARegistryMadeLaterIsWatchedAtOnce) {
  TLibraryOverride library("libzolvek-no-such-udev.so.1");
  test::TTempDir parent;
  const fs::path registry = parent() / "ports";
  TPortRemovalWatcher watcher(nullptr, QString::fromStdString(registry.string()), HourlyLook);
  QSignalSpy added(&watcher, &TPortRemovalWatcher::PortAdded);
  QSignalSpy removed(&watcher, &TPortRemovalWatcher::PortRemoved);
  for (int round = 0; round < 2; ++round) {  // the second time after the registry went
    fs::create_directory(registry);
    std::ofstream(registry / "a") << "x";
    fs::create_symlink(registry / "a", registry / "zolsim0");
    ASSERT_TRUE(added.wait(2000)) << round;
    EXPECT_EQ(added.takeFirst().at(0).toString(), "zolsim0");
    fs::remove(registry / "zolsim0");
    ASSERT_TRUE(removed.wait(2000)) << round;
    fs::remove_all(registry);
    QTest::qWait(50);
  }
}

TEST(PortRemovalWatcherTest, NewLinksAreReportedAsArrivals) {
  TLibraryOverride library("libzolvek-no-such-udev.so.1");
  test::TTempDir registry;
  std::ofstream(registry() / "a") << "x";
  fs::create_symlink(registry() / "a", registry() / "zolsim0");
  TPortRemovalWatcher watcher(nullptr, QString::fromStdString(registry().string()), HourlyLook);
  QSignalSpy added(&watcher, &TPortRemovalWatcher::PortAdded);
  QSignalSpy removed(&watcher, &TPortRemovalWatcher::PortRemoved);
  EXPECT_FALSE(added.wait(100)) << "a port there from the start has not arrived";
  fs::create_symlink(registry() / "a", registry() / "zolsim1");
  ASSERT_TRUE(added.wait(2000));
  EXPECT_EQ(added.takeFirst().at(0).toString(), "zolsim1");
  fs::remove(registry() / "zolsim1");
  ASSERT_TRUE(removed.wait(2000));
  fs::create_symlink(registry() / "a", registry() / "zolsim1");  // plugged in again
  ASSERT_TRUE(added.wait(2000));
  EXPECT_EQ(added.takeFirst().at(0).toString(), "zolsim1");
  EXPECT_FALSE(added.wait(100)) << "each arrival is told once";
}

// ---- GUI-thread delivery ----------------------------------------------------

struct TGuiPort {
  test_support::TPtyPair Pty;
  TTinyComPort Port;
  std::atomic<int> Fired{0};
  std::atomic<bool> OffGuiThread{false};
  std::vector<std::string> Order;  // GUI thread only

  explicit TGuiPort(TSyncMethod method, TEvents events) {
    ApplyMainComPortSettings(Port);
    Port.SetEvents(events);
    Port.SetSyncMethod(method);
    Port.SetPort(Pty.SlavePath());
    Port.SetPortPresent(true);
    auto note = [this](const char* name) {
      if (QThread::currentThread() != qApp->thread()) OffGuiThread = true;
      Order.push_back(name);
      ++Fired;
    };
    Port.OnRxChar = [note](TTinyComPort&, std::int32_t) { note("RxChar"); };
    Port.OnTxEmpty = [note](TTinyComPort&) { note("TxEmpty"); };
  }
  bool ServeUntil(int count) {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (Fired < count && std::chrono::steady_clock::now() < end) {
      QApplication::processEvents();
      std::this_thread::sleep_for(1ms);
    }
    return Fired >= count;
  }
};

// Nothing is installed by hand: linking the Qt library is enough.
TEST(QtEventDeliveryTest, SynchronizeAndWindowFireOnTheGuiThread) {
  ASSERT_TRUE(QtEventDeliveryRegistered());
  for (TSyncMethod method : {smSynchronize, smWindow}) {
    TGuiPort f(method, EventBit(evRxChar) | EventBit(evTxEmpty));
    f.Port.Open();
    f.Pty.Send("ab");
    ASSERT_TRUE(f.ServeUntil(1));
    std::string s;
    f.Port.ReadStr(s, 2, true);
    f.Port.WriteStr("Z", true);
    ASSERT_TRUE(f.ServeUntil(2));
    f.Port.Close();
    EXPECT_FALSE(f.OffGuiThread);
    EXPECT_EQ(f.Order, (std::vector<std::string>{"RxChar", "TxEmpty"}));
  }
}

TEST(QtEventDeliveryTest, ClosingWhileADeliveryWaitsDoesNotDeadlock) {
  TGuiPort f(smSynchronize, EventBit(evRxChar));
  f.Port.Open();
  f.Pty.Send("x");
  std::this_thread::sleep_for(100ms);  // the event thread now waits for the GUI thread
  const auto start = std::chrono::steady_clock::now();
  f.Port.Close();
  EXPECT_LT(test_support::MillisSince(start), 1000);
  EXPECT_EQ(f.Fired, 1) << "the waiting delivery ran while Close waited";
  EXPECT_FALSE(f.OffGuiThread);
  QApplication::processEvents();
}

}  // namespace
}  // namespace serial

int main(int argc, char** argv) {
  // Test discovery runs without the test environment; stay offscreen anyway.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
