// The main window's life cycle: creation, first showing, closing and
// destruction, the redraw message and waiting with messages.

#include "window/ZOLMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWindow>

#include "window/About.h"
#include "command/GeneratorControl.h"
#include "window/HiddenText.h"
#include "screen/ScreenDescription.h"
#include "screen/ZOLScreen.h"
#include "serial/PortRemovalWatcher.h"
#include "ui/Dialogs.h"
#include "ui/FloatMinimizer.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/ProgramIcon.h"
#include "ui/SpeedButton.h"

namespace control {

TMainForm::TMainForm(TGeneratorControl& control, QWidget* parent)
    : QMainWindow(parent), Control(control) {
  CreateControls();
  setWindowIcon(ui::ProgramIcon());
  Control.OnPanelChanged([this] { ShowPanel(); });
  FloatMinimizer = new ui::TFloatMinimizer(this);
  FloatMinimizer->setObjectName(QStringLiteral("FloatMinimizer"));
  Dialogs = std::make_unique<ui::TDialogs>(this);
  PortWatcher = new serial::TPortRemovalWatcher(this);
  ConnectHandlers();
  FormCreate();
}

TMainForm::~TMainForm() {
  if (!Closed) FormClose();
  FormDestroy();
  Control.OnPanelChanged(nullptr);
}

void TMainForm::FormCreate() {
  resize(StartOuter);
  ApplyLayout(StartOuter.width(), StartOuter.height());
  CentreOnScreen();
  Screen = std::make_unique<screen::TZOLScreen>();
  Screen->SetScaleFont(&BottomPanelFont);
  Screen->SetValueFont(ArialNarrowInstalled() ? &MainFont : &RightPanelFont);
  Control.SetValueAspect(Screen->ValueAspect());
  InitControlState();
  ShowPanel();
  Image321Resize();
}

void TMainForm::TickRedraw() {
  Guarded([this] { WMRedraw(); });
}

void TMainForm::TickPortLost() {
  Guarded([this] { Control.Connection().PortLost(); });
}

void TMainForm::InitControlState() {
  FLeftBtn->Tag = 1;
  FRightBtn->Tag = 2;
  Control.InitControlState();
}

void TMainForm::FormShow() { ExitBtn->setFocus(Qt::OtherFocusReason); }

void TMainForm::ExitBtnClick() { close(); }

// Stopping the tick waits for a running one to end (the GUI thread holds
// no lock here), so no tick writes once the port is being closed.
void TMainForm::FormClose() {
  if (StopTicks) StopTicks();
  QCoreApplication::processEvents();
  Control.Connection().Close();
  Closed = true;
}

// The tick is stopped for good: it must not post to a window that is gone.
void TMainForm::FormDestroy() {
  if (StopTicks) StopTicks();
}

void TMainForm::WMRedraw() {
  ShowFrame(Control.Redraw());
  // A tick has written what was changed before it: tell whoever waits.
  for (const std::function<void()>& written : Control.Written().TakeWritten()) written();
  emit Redrawn();
}

// Drawn from a copy, outside the lock: the tick never waits for a render.
// A redraw comes every tick; most show what the last one drew, and are not
// drawn again. The screen's words change with its picture, so a reader
// hears a change at most once a redraw.
void TMainForm::ShowFrame(const screen::TZOLScreenModel& frame, bool always) {
  if (!Screen || (!always && Drawn == frame)) return;
  Drawn = frame;
  Image321->SetImage(Screen->Render(frame));
  Image321->SetAccessibleValue(QString::fromStdString(screen::DescribeScreen(frame)));
}

void TMainForm::PanelDblClick() {
  if (AboutBox) Dialogs->ShowModal(*AboutBox);
}

void TMainForm::HiddenAboutText() {
  if (!AboutBox) return;
  AboutBox->Copyright->setText(QString::fromLatin1(DecodeHiddenText(HiddenAboutBytes)));
  AboutBox->Copyright->adjustSize();
}

void TMainForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Dialogs->ShowException(error);
  }
}

void TMainForm::closeEvent(QCloseEvent* e) {
  if (!Closed) FormClose();
  e->accept();
}

void TMainForm::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  ApplyLayout(e->size().width(), e->size().height());
  FormResize();
  TrackFrame();
}

// The window manager reports its frame with the move that framing causes.
void TMainForm::moveEvent(QMoveEvent* e) {
  QMainWindow::moveEvent(e);
  TrackFrame();
}

void TMainForm::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!Shown) {
    Shown = true;
    FormShow();
    TrackFrame();
    // The native window exists from the first showing on.
    if (QWindow* window = windowHandle())
      connect(window, &QWindow::screenChanged, this, [this] { FollowDevicePixelRatio(); });
  }
}

}  // namespace control
