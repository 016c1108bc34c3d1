// The window's side of the handlers: the dialogs they ask and the messages
// their outcomes call for, the mouse in Qt's terms, and the cursor and beep
// the screen asks for. The work itself is the command path's.

#include <QApplication>
#include <QString>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "command/GeneratorControl.h"
#include "window/ZOLMain.h"
#include "serial/ComSel.h"
#include "serial/PortList.h"
#include "serial/TinyComms.h"
#include "doctor/OpenFailureCause.h"
#include "ui/Dialogs.h"
#include "ui/ImageView.h"
#include "ui/SpeedButton.h"
#include "ui/WaitWithMessages.h"

namespace control {

namespace {

TMouseButton Button(Qt::MouseButton button) {
  return button == Qt::LeftButton ? TMouseButton::Left : TMouseButton::Other;
}

// What a frequency dialog asks and answers.
struct TEntryTexts {
  QString Title;
  QString Prompt;
  QString Invalid;
  QString Crossed;  // the warning before a crossing limit is stored
};

TEntryTexts TextsOf(TEntry entry) {
  switch (entry) {
    case TEntry::Frequency:
      return {"Enter frequency value", "Frequency value in Hz:", "Invalid frequency value", {}};
    case TEntry::Step:
      return {"Enter frequency step", "Frequency step in Hz:", "Invalid frequency step value", {}};
    case TEntry::Start:
    case TEntry::Stop:
      break;
  }
  const bool start = entry == TEntry::Start;
  const QString middle = start ? "art " : "op ";
  return {"Enter st" + middle + "frequency value",
          "St" + middle + "frequency value in Hz:", "Invalid frequency value",
          start ? "Start value is higher than stop value" : "Stop value is lower than start value"};
}

// A dialog answered after its control was disabled (the mode changed
// meanwhile, by the remote control for instance).
const QString NotAvailableNow =
    QStringLiteral("The value was not set: the control is not available now");

}  // namespace

void TMainForm::ConnectBtnClick(bool down) {
  if (Control.UserClicked(&TPanelState::ConnectBtn, down) != TOutcome::Done) return;
  std::string chosen;
  auto choosePort = [this, &chosen]() -> std::optional<std::string> {
    if (!ComSelBox || Dialogs->ShowModal(*ComSelBox) != QDialog::Accepted) return std::nullopt;
    chosen = PortNameOfEntry(ComSelBox->SelectedLine().toStdString());
    return chosen;
  };
  try {
    Control.Connection().ConnectBtnClick(choosePort, ui::WaitWithMessages);
  } catch (const serial::EComPort& error) {
    // The message box stays as it is; the likely cause goes to stderr.
    std::cerr << doctor::LikelyOpenFailureCause(serial::PortPathFor(chosen), error.ErrorNumber())
              << std::endl;
    throw;
  }
}

void TMainForm::WMDeviceChange(const std::string& removedPortName) {
  Control.Connection().WMDeviceChange(removedPortName);
}

// The value is stored only after a warning is closed, and the command path
// checks it again then: the mode may have changed while a box was open.
void TMainForm::AskForEntry(TEntry entry) {
  const std::optional<TEntryQuestion> question = Control.Frequency().AskEntry(entry);
  if (!question) return;
  const TEntryTexts texts = TextsOf(entry);
  QString text = QString::fromStdString(question->Text);
  if (!Dialogs->InputQuery(texts.Title, texts.Prompt, text)) return;
  const std::string typed = text.toStdString();
  TOutcome outcome = Control.Frequency().CheckAnswer(*question, typed);
  if (outcome == TOutcome::Crossed)
    Dialogs->MessageBox(texts.Crossed, "Warning", ui::TMsgIcon::Warning);
  if (outcome == TOutcome::Done || outcome == TOutcome::Crossed)
    outcome = Control.Frequency().Answer(*question, typed);
  if (outcome == TOutcome::Disabled)
    Dialogs->MessageBox(NotAvailableNow, "Error", ui::TMsgIcon::Error);
  if (outcome != TOutcome::Invalid) return;
  Dialogs->MessageBox(texts.Invalid, "Error", ui::TMsgIcon::Error);
  if (entry == TEntry::Frequency && Control.State().CornerArmed) HiddenAboutText();
}

void TMainForm::FSetBtnClick() { AskForEntry(TEntry::Frequency); }

void TMainForm::FDeltaFBtnClick() { AskForEntry(TEntry::Step); }

void TMainForm::FSetRangeBtnClick(int tag) {
  if (tag == screen::StartSlot) AskForEntry(TEntry::Start);
  if (tag == screen::StopSlot) AskForEntry(TEntry::Stop);
}

void TMainForm::ControlMouseDown(int tag, Qt::MouseButton button) {
  Control.Frequency().ControlMouseDown(tag, Button(button));
}

void TMainForm::ControlMouseUp(Qt::MouseButton button) {
  Control.Frequency().ControlMouseUp(Button(button));
}

void TMainForm::Image321MouseDown(Qt::MouseButton button, int x, int y) {
  if (Control.Pointer().Image321MouseDown(Button(button), x, y)) QApplication::beep();
}

void TMainForm::Image321MouseMove(int x, int y) {
  switch (Control.Pointer().Image321MouseMove(x, y)) {
    case TCursor::SizeHor:
      Image321->setCursor(Qt::SizeHorCursor);
      break;
    case TCursor::PointingHand:
      Image321->setCursor(Qt::PointingHandCursor);
      break;
    case TCursor::Default:
      Image321->unsetCursor();
      break;
  }
}

void TMainForm::Image321MouseUp(Qt::MouseButton) { Control.Pointer().Image321MouseUp(); }

// A notch is a step of the arrow of its direction: a disabled arrow (pulse
// mode) refuses it.
void TMainForm::Image321Wheel(int notches) {
  const int direction = notches > 0 ? 2 : 1;
  for (int i = std::abs(notches); i > 0; --i)
    if (Control.Frequency().Step(direction) != TOutcome::Done) return;
}

}  // namespace control
