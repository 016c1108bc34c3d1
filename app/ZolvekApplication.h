#pragma once
// The application object: numbers with a point whatever the locale, and an
// exception that escapes an event handler is shown by the default error box
// instead of ending the program.
// GUI thread only.

#include <QApplication>

namespace app {

class TZolvekApplication : public QApplication {
 public:
  TZolvekApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
