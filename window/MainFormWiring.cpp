// The window's input: every control wired to the command path, the panel
// shown on the widgets, and the window's side of the handlers (the dialogs
// they ask and the messages their outcomes call for, the mouse in Qt's
// terms, the cursor and beep the screen asks for). The work itself is the
// command path's.

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QString>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "command/GeneratorControl.h"
#include "doctor/OpenFailureCause.h"
#include "serial/ComSel.h"
#include "serial/PortList.h"
#include "serial/PortRemovalWatcher.h"
#include "serial/TinyComms.h"
#include "ui/Dialogs.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"
#include "window/ZOLMain.h"

namespace control {
namespace {

// Reports presses and releases of any mouse button on a watched widget;
// QAbstractButton's own signals know only the left button. The second press
// of a quick double click arrives as a double-click event and is a press
// like the first. A disabled button's filter still sees its events: the
// command path refuses the press and always takes the release, which ends
// an auto-repeat whatever happened to the button meanwhile.
class TMouseButtonWatcher : public QObject {
 public:
  using THandler = std::function<void(QEvent::Type type, Qt::MouseButton button)>;
  TMouseButtonWatcher(QObject* parent, THandler handler)
      : QObject(parent), Handler(std::move(handler)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) type = QEvent::MouseButtonPress;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)
      Handler(type, static_cast<QMouseEvent*>(event)->button());
    return QObject::eventFilter(watched, event);
  }

 private:
  THandler Handler;
};

QColor Colour(TColor c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

void ShowButton(ui::TSpeedButton& widget, const TButtonState& state) {
  const QSignalBlocker quiet(widget);
  widget.setChecked(state.Down);
  widget.setEnabled(state.Enabled);
  widget.setVisible(state.Visible);
  widget.SetFontColor(Colour(state.FontColor));
}

void ShowGauge(ui::TGaugeBar& widget, const TGaugeState& state) {
  const QSignalBlocker quiet(widget);
  widget.setRange(state.Minimum, state.Maximum);
  widget.setValue(state.Position);
  widget.setEnabled(state.Enabled);
  widget.setAccessibleName(QString::fromStdString(state.Name));
}

}  // namespace

void TMainForm::ShowPanel() {
  const TPanelState& p = Control.Panel();
  const std::pair<ui::TSpeedButton*, const TButtonState*> buttons[] = {
      {FLeftBtn, &p.FLeftBtn},     {FDeltaFBtn, &p.FDeltaFBtn}, {FRightBtn, &p.FRightBtn},
      {FSetBtn, &p.FSetBtn},       {FStartBtn, &p.FStartBtn},   {FstopBtn, &p.FstopBtn},
      {SweepBtn, &p.SweepBtn},     {PulseBtn, &p.PulseBtn},     {InvertBtn, &p.InvertBtn},
      {SwRstBtn, &p.SwRstBtn},     {PauseBtn, &p.PauseBtn},     {RunBtn, &p.RunBtn},
      {ConnectBtn, &p.ConnectBtn}, {SineBtn, &p.SineBtn},       {TriBtn, &p.TriBtn},
      {SquareBtn, &p.SquareBtn}};
  for (const auto& [widget, state] : buttons) ShowButton(*widget, *state);
  RunBtn->SetCaption(QString::fromStdString(p.RunCaption));
  const std::pair<ui::TGaugeBar*, const TGaugeState*> gauges[] = {{LinLogGauge, &p.LinLogGauge},
                                                                  {SweepDirBar, &p.SweepDirBar},
                                                                  {SwGaugeBar, &p.SwGaugeBar},
                                                                  {AmpGaugeBar, &p.AmpGaugeBar},
                                                                  {DivGaugeBar, &p.DivGaugeBar}};
  for (const auto& [widget, state] : gauges) ShowGauge(*widget, *state);
  for (QLabel* label : {Label1, Label2, Label3, Label4, SwTimeLabel})
    label->setEnabled(p.SweepLabelsEnabled);
  SwTimeLabel->setText(QString::fromStdString(p.SwTimeText));
}

void TMainForm::ConnectHandlers() {
  // A click has changed the button's down state; the command path takes it
  // and runs the operation, and the panel shows the settings again.
  auto onClick = [this](ui::TSpeedButton* button, TButtonId id) {
    connect(button, &QAbstractButton::clicked, this, [this, button, id] {
      Guarded([=, this] { Control.UserClicked(id, button->isChecked()); });
    });
  };
  auto onDialog = [this](QAbstractButton* button, std::function<void()> handler) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { Guarded(handler); });
  };
  // Fires for the user's moves only: the panel is shown with signals blocked.
  auto onMove = [this](ui::TGaugeBar* gauge, TGaugeId id) {
    connect(gauge, &QAbstractSlider::valueChanged, this,
            [this, id](int value) { Guarded([=, this] { Control.UserMoved(id, value); }); });
  };

  onClick(RunBtn, &TPanelState::RunBtn);
  onClick(SweepBtn, &TPanelState::SweepBtn);
  onClick(PulseBtn, &TPanelState::PulseBtn);
  onClick(SwRstBtn, &TPanelState::SwRstBtn);
  onClick(PauseBtn, &TPanelState::PauseBtn);
  onClick(InvertBtn, &TPanelState::InvertBtn);
  onClick(SineBtn, &TPanelState::SineBtn);
  onClick(TriBtn, &TPanelState::TriBtn);
  onClick(SquareBtn, &TPanelState::SquareBtn);
  onDialog(ConnectBtn, [this] { ConnectBtnClick(ConnectBtn->isChecked()); });
  onDialog(FSetBtn, [this] { FSetBtnClick(); });
  onDialog(FDeltaFBtn, [this] { FDeltaFBtnClick(); });
  onDialog(FStartBtn, [this] { FSetRangeBtnClick(FStartBtn->Tag); });
  onDialog(FstopBtn, [this] { FSetRangeBtnClick(FstopBtn->Tag); });
  onDialog(ExitBtn, [this] { ExitBtnClick(); });
  onMove(SwGaugeBar, &TPanelState::SwGaugeBar);
  onMove(SweepDirBar, &TPanelState::SweepDirBar);
  onMove(LinLogGauge, &TPanelState::LinLogGauge);
  onMove(AmpGaugeBar, &TPanelState::AmpGaugeBar);
  onMove(DivGaugeBar, &TPanelState::DivGaugeBar);

  for (ui::TSpeedButton* arrow : {FLeftBtn, FRightBtn}) {
    // A screen reader's press is one step, like a short click.
    connect(arrow, &ui::TSpeedButton::AssistivePressed, this,
            [this, arrow] { Guarded([=, this] { Control.Frequency().Step(arrow->Tag); }); });
    arrow->installEventFilter(
        new TMouseButtonWatcher(arrow, [this, arrow](QEvent::Type type, Qt::MouseButton button) {
          Guarded([=, this] {
            if (type == QEvent::MouseButtonPress)
              ControlMouseDown(arrow->Tag, button);
            else
              ControlMouseUp(button);
          });
        }));
  }

  connect(Image321, &ui::TImageView::MousePressed, this, [this](Qt::MouseButton b, int x, int y) {
    Guarded([=, this] { Image321MouseDown(b, x, y); });
  });
  connect(Image321, &ui::TImageView::MouseMoved, this,
          [this](int x, int y) { Guarded([=, this] { Image321MouseMove(x, y); }); });
  connect(Image321, &ui::TImageView::MouseReleased, this,
          [this](Qt::MouseButton b, int, int) { Guarded([=, this] { Image321MouseUp(b); }); });
  connect(Image321, &ui::TImageView::WheelTurned, this,
          [this](int notches) { Guarded([=, this] { Image321Wheel(notches); }); });

  for (ui::TPanel* panel : {BottomPanel, RightPanel})
    connect(panel, &ui::TPanel::DoubleClicked, this,
            [this] { Guarded([this] { PanelDblClick(); }); });

  connect(
      PortWatcher, &serial::TPortRemovalWatcher::PortRemoved, this,
      [this](const QString& name) { Guarded([=, this] { WMDeviceChange(name.toStdString()); }); });
}

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
    Control.Connection().ConnectBtnClick(choosePort, WaitWithEvents);
  } catch (const serial::EComPort& error) {
    // The message box stays as it is; the likely cause goes to stderr.
    std::cerr << doctor::LikelyOpenFailureCause(serial::PortPathFor(chosen), error.ErrorNumber())
              << std::endl;
    throw;
  }
}

void TMainForm::WMDeviceChange(const std::string& removedPortName) {
  Control.Connection().PortRemoved(removedPortName);
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
  if (Control.Pointer().Press(Button(button), x, y)) QApplication::beep();
}

void TMainForm::Image321MouseMove(int x, int y) {
  switch (Control.Pointer().Move(x, y)) {
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

void TMainForm::Image321MouseUp(Qt::MouseButton) { Control.Pointer().Release(); }

// A notch is a step of the arrow of its direction: a disabled arrow (pulse
// mode) refuses it.
void TMainForm::Image321Wheel(int notches) {
  const int direction = notches > 0 ? 2 : 1;
  for (int i = std::abs(notches); i > 0; --i)
    if (Control.Frequency().Step(direction) != TOutcome::Done) return;
}

}  // namespace control
