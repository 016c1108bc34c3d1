#pragma once
// A main window built offscreen with scripted dialogs, for the window's
// tests. The About box is attached; the port dialog is not (tests that
// connect attach their own).

#include <gtest/gtest.h>

#include <QDialog>
#include <QStringList>
#include <memory>
#include <mutex>

#include "control/About.h"
#include "control/ZOLMain.h"
#include "ui/Dialogs.h"

namespace control::test {

// Answers the window's dialogs from a script and records what was shown.
class TScriptedDialogs : public ui::TDialogs {
 public:
  QStringList Answers;      // InputQuery: next answer, or Cancel when none is left
  QStringList Messages;     // "title: text" of every message box
  QStringList ModalShown;   // object names of the dialogs shown modally
  int ModalResult = QDialog::Accepted;

  bool InputQuery(const QString&, const QString&, QString& text) override {
    if (Answers.isEmpty()) return false;
    text = Answers.takeFirst();
    return true;
  }
  void MessageBox(const QString& text, const QString& title, ui::TMsgIcon) override {
    Messages << title + ": " + text;
  }
  int ShowModal(QDialog& dialog) override {
    ModalShown << dialog.objectName();
    return ModalResult;
  }
};

class TMainFormTest : public ::testing::Test {
 protected:
  TMainFormTest() : Form(std::make_unique<TMainForm>()) {
    auto dialogs = std::make_unique<TScriptedDialogs>();
    Dialogs = dialogs.get();
    Form->Dialogs = std::move(dialogs);
    Form->SetAboutBox(&About);
  }

  // Reads the shared state under its lock.
  template <typename F>
  auto Locked(F&& read) {
    std::lock_guard<std::mutex> guard(Form->Shared.Lock);
    return read(Form->Shared);
  }

  TAboutBox About;
  std::unique_ptr<TMainForm> Form;
  TScriptedDialogs* Dialogs = nullptr;
};

}  // namespace control::test
