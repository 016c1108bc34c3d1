#pragma once
// Answers the main window's dialogs from queues filled beforehand, the way
// a user would, and records every question and message. A dialog nobody
// scripted is counted in Unexpected (the window fixture fails the test on
// it; a benchmark reports it).
// GUI thread only.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "serial/ComSel.h"
#include "tests/support/ChoosePort.h"
#include "ui/Dialogs.h"

namespace control::test {

struct TAskedInput {
  QString Title;
  QString Prompt;
  QString Initial;
};

struct TShownMessage {
  QString Text;
  QString Title;
  ui::TMsgIcon Icon;
};

class TScriptedDialogs : public ui::TDialogs {
 public:
  // Typed answers for input dialogs; nullopt presses Cancel.
  std::deque<std::optional<QString>> Answers;
  // Port names to pick in the port dialog; nullopt presses Cancel.
  std::deque<std::optional<std::string>> PortChoices;
  // What any other modal dialog (the About box) ends with.
  int ModalResult = QDialog::Rejected;

  std::vector<TAskedInput> Asked;
  std::vector<TShownMessage> Messages;
  QStringList ModalShown;  // object names of the dialogs shown modally
  std::vector<std::string> Unexpected;
  // When the last input dialog was confirmed (the moment OK is pressed).
  std::chrono::steady_clock::time_point LastAnswer;
  // What happens while a dialog or message box is open (by its title):
  // ticks going by, a remote command.
  std::function<void(const QString& title)> WhileOpen;

  bool InputQuery(const QString& title, const QString& prompt, QString& text) override {
    Asked.push_back({title, prompt, text});
    if (WhileOpen) WhileOpen(title);
    if (Answers.empty()) {
      Unexpected.push_back("input dialog: " + title.toStdString());
      return false;
    }
    const std::optional<QString> answer = Answers.front();
    Answers.pop_front();
    if (!answer) return false;
    text = *answer;
    LastAnswer = std::chrono::steady_clock::now();
    return true;
  }

  void MessageBox(const QString& text, const QString& title, ui::TMsgIcon icon) override {
    Messages.push_back({text, title, icon});
    if (WhileOpen) WhileOpen(title);
  }

  int ShowModal(QDialog& dialog) override {
    ModalShown << dialog.objectName();
    auto* box = dynamic_cast<serial::TComSelBox*>(&dialog);
    if (box == nullptr) return ModalResult;
    if (PortChoices.empty()) {
      Unexpected.push_back("port dialog");
      return QDialog::Rejected;
    }
    const std::optional<std::string> choice = PortChoices.front();
    PortChoices.pop_front();
    if (!choice) return QDialog::Rejected;
    if (serial::test::ChoosePortLine(*box, *choice)) return QDialog::Accepted;
    Unexpected.push_back("port not listed: " + *choice);
    return QDialog::Rejected;
  }
};

}  // namespace control::test
