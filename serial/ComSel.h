#pragma once
// The port selection dialog: lists the machine's serial ports, one line
// "NAME: FRIENDLY NAME" each, and ends with OK only when a line is selected.
// Lives hidden for the whole run; every showing lists the ports afresh.
//
// Owns its controls through Qt parents. GUI thread only.

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QFrame;
class QListWidget;
class QPushButton;

namespace serial {

class TComSelBox : public QDialog {
  Q_OBJECT

 public:
  using TPortLister = std::function<std::vector<std::string>()>;

  // lister: where the lines come from; empty means ListSerialPorts.
  explicit TComSelBox(QWidget* parent = nullptr, TPortLister lister = {});

  // The selected line's text, or an empty string when none is selected.
  QString SelectedLine() const;

  QFrame* Panel1 = nullptr;
  QListWidget* ComListBox = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* Button1 = nullptr;

  void FormShow();
  void ComListBoxDblClick();
  void OKButtonClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  bool HasSelection() const;

  TPortLister Lister;
};

}  // namespace serial
