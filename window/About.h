#pragma once
// The About box: program icon, name, version and a maker line that the
// hidden About text may replace. Created at start-up and kept, hidden, for
// the whole run; shown modally. GUI thread only.
//
// Owns its controls through Qt parents.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace control {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QFrame* Panel1 = nullptr;
  QLabel* ProgramIcon = nullptr;
  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;
  QLabel* Copyright = nullptr;  // the third label: maker line or hidden text
  QPushButton* OKButton = nullptr;
};

}  // namespace control
