// The window's side of the handlers: the dialogs they ask and the messages
// their outcomes call for, the mouse in Qt's terms, and the cursor and beep
// the screen asks for. The work itself is the command path's.

#include <QApplication>
#include <QString>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "control/GeneratorControl.h"
#include "control/ZOLMain.h"
#include "serial/ComSel.h"
#include "serial/PortList.h"
#include "serial/TinyComms.h"
#include "tools/doctor/OpenFailureCause.h"
#include "ui/Dialogs.h"
#include "ui/ImageView.h"
#include "ui/SpeedButton.h"

namespace control {

namespace {

TMouseButton Button(Qt::MouseButton button) {
  return button == Qt::LeftButton ? TMouseButton::Left : TMouseButton::Other;
}

// The port name of a port-dialog line "NAME: description".
std::string PortNameOfLine(const std::string& line) {
  const auto first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::string entry = line.substr(first);
  return entry.substr(0, entry.find(':'));
}

}  // namespace

void TMainForm::ConnectBtnClick() {
  std::string chosen;
  auto choosePort = [this, &chosen]() -> std::optional<std::string> {
    if (!ComSelBox || Dialogs->ShowModal(*ComSelBox) != QDialog::Accepted) return std::nullopt;
    chosen = PortNameOfLine(ComSelBox->SelectedLine().toStdString());
    return chosen;
  };
  Control->UserClicked(&TPanelState::ConnectBtn, ConnectBtn->isChecked());
  try {
    Control->ConnectBtnClick(choosePort, [this](unsigned ms) { WaitWithMessages(ms); });
  } catch (const serial::EComPort& error) {
    // The message box stays as it is; the likely cause goes to stderr.
    std::cerr << doctor::LikelyOpenFailureCause(serial::PortPathFor(chosen), error.ErrorNumber())
              << std::endl;
    throw;
  }
}

void TMainForm::WMDeviceChange(const std::string& removedPortName) {
  Control->WMDeviceChange(removedPortName);
}

void TMainForm::FSetBtnClick() {
  QString text = QString::fromStdString(Control->EntryText(TEntry::Frequency));
  if (!Dialogs->InputQuery("Enter frequency value", "Frequency value in Hz:", text)) return;
  if (Control->EnterText(TEntry::Frequency, text.toStdString()) != TOutcome::Invalid) return;
  Dialogs->MessageBox("Invalid frequency value", "Error", ui::TMsgIcon::Error);
  if (Control->State().CornerArmed) HiddenAboutText();
}

void TMainForm::FDeltaFBtnClick() {
  QString text = QString::fromStdString(Control->EntryText(TEntry::Step));
  if (!Dialogs->InputQuery("Enter frequency step", "Frequency step in Hz:", text)) return;
  if (Control->EnterText(TEntry::Step, text.toStdString()) == TOutcome::Invalid)
    Dialogs->MessageBox("Invalid frequency step value", "Error", ui::TMsgIcon::Error);
}

void TMainForm::FSetRangeBtnClick(int tag) {
  if (tag != screen::StartSlot && tag != screen::StopSlot) return;
  const bool start = tag == screen::StartSlot;
  const TEntry entry = start ? TEntry::Start : TEntry::Stop;
  const QString middle = start ? "art " : "op ";
  QString text = QString::fromStdString(Control->EntryText(entry));
  if (!Dialogs->InputQuery("Enter st" + middle + "frequency value",
                           "St" + middle + "frequency value in Hz:", text))
    return;
  const TOutcome outcome = Control->EnterText(entry, text.toStdString());
  if (outcome == TOutcome::Invalid)
    Dialogs->MessageBox("Invalid frequency value", "Error", ui::TMsgIcon::Error);
  // The warning informs; the value is stored all the same.
  if (outcome == TOutcome::Crossed) {
    Dialogs->MessageBox(start ? "Start value is higher than stop value"
                              : "Stop value is lower than start value",
                        "Warning", ui::TMsgIcon::Warning);
  }
}

void TMainForm::SwRstBtnClick() { Control->SwRstBtnClick(); }

void TMainForm::ControlMouseDown(int tag, Qt::MouseButton button) {
  Control->ControlMouseDown(tag, Button(button));
}

void TMainForm::ControlMouseUp(Qt::MouseButton button) { Control->ControlMouseUp(Button(button)); }

void TMainForm::StepFrequency(int direction) { Control->StepFrequency(direction); }

void TMainForm::Image321MouseDown(Qt::MouseButton button, int x, int y) {
  if (Control->Image321MouseDown(Button(button), x, y)) QApplication::beep();
}

void TMainForm::Image321MouseMove(int x, int y) {
  switch (Control->Image321MouseMove(x, y)) {
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

void TMainForm::Image321MouseUp(Qt::MouseButton) { Control->Image321MouseUp(); }

// A notch is a press of the arrow of its direction: a disabled arrow (pulse
// mode) refuses it.
void TMainForm::Image321Wheel(int notches) {
  const int direction = notches > 0 ? 2 : 1;
  for (int i = std::abs(notches); i > 0; --i)
    if (Control->Step(direction) != TOutcome::Done) return;
}

}  // namespace control
