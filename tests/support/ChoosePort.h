#pragma once
// Chooses a port in the port dialog as a user would: the dialog lists the
// machine's ports and the virtual ones, and the line "NAME: ..." is picked.

#include <QListWidget>
#include <string>

#include "serial/ComSel.h"

namespace serial::test {

// False when no line of the listing is the named port.
inline bool ChoosePortLine(TComSelBox& box, const std::string& name) {
  box.FormShow();
  const QString prefix = QString::fromStdString(name) + ":";
  for (int row = 0; row < box.ComListBox->count(); ++row) {
    if (box.ComListBox->item(row)->text().startsWith(prefix)) {
      box.ComListBox->setCurrentRow(row);
      return true;
    }
  }
  return false;
}

}  // namespace serial::test
