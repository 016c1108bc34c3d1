#include "app/ZolvekApplication.h"

#include "ui/Dialogs.h"

namespace app {

TZolvekApplication::TZolvekApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TZolvekApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ui::TDialogs().ShowException(error);
  }
  return false;
}

}  // namespace app
