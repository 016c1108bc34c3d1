#pragma once
// Runs the program's observed build (the program block of zolvek, with
// observers) as a process with a private runtime directory and
// the test report switched on.

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace app::test {

inline QProcessEnvironment ZolvekEnvironment(const QString& runtimeDir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", runtimeDir);
  env.insert("ZOLVEK_TEST_REPORT", "1");
  if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
  return env;
}

// Collects stderr and waits until it holds the given text.
inline bool WaitForOutput(QProcess& process, QByteArray& collected, const QByteArray& text,
                          int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!collected.contains(text)) {
    if (timer.elapsed() > timeoutMs || process.state() == QProcess::NotRunning) {
      collected += process.readAllStandardError();
      return collected.contains(text);
    }
    process.waitForReadyRead(100);
    collected += process.readAllStandardError();
  }
  return true;
}

}  // namespace app::test
