#include "app/ZolvekApplication.h"

#include <QLocale>
#include <clocale>

#include "ui/Dialogs.h"

namespace app {

// The application's construction takes the user's locale; numbers are read
// and written with a point whatever it is.
TZolvekApplication::TZolvekApplication(int& argc, char** argv) : QApplication(argc, argv) {
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

bool TZolvekApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ui::TDialogs().ShowException(error);
  }
  return false;
}

}  // namespace app
