// The main window's life cycle: creation, first showing, closing and
// destruction, the redraw message and waiting with messages.

#include "control/ZOLMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWindow>
#include <chrono>
#include <clocale>
#include <thread>

#include "control/About.h"
#include "control/DeviceLink.h"
#include "control/GeneratorControl.h"
#include "control/HiddenText.h"
#include "control/TickEvents.h"
#include "control/UpdateCycle.h"
#include "platform/MultimediaTimer.h"
#include "screen/ScreenDescription.h"
#include "screen/ZOLScreen.h"
#include "serial/PortRemovalWatcher.h"
#include "serial/TinyComms.h"
#include "ui/Dialogs.h"
#include "ui/FloatMinimizer.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/ProgramIcon.h"
#include "ui/SpeedButton.h"

namespace control {

TMainForm* MainForm = nullptr;

namespace {
constexpr std::chrono::milliseconds TickPeriod{50};
}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  MainForm = this;
  CreateControls();
  setWindowIcon(ui::ProgramIcon());
  MainComPort = std::make_unique<serial::TTinyComPort>();
  serial::ApplyMainComPortSettings(*MainComPort);
  Link = std::make_unique<TDeviceLink>(Shared, *MainComPort);
  Control = std::make_unique<TGeneratorControl>(Shared, *Link);
  Control->OnPanelChanged([this] { ShowPanel(); });
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
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::FormCreate() {
  resize(StartOuter);
  ApplyLayout(StartOuter.width(), StartOuter.height());
  CentreOnScreen();
  Screen = std::make_unique<screen::TZOLScreen>();
  Screen->SetScaleFont(&BottomPanelFont);
  Screen->SetValueFont(ArialNarrowInstalled() ? &MainFont : &RightPanelFont);
  Control->SetValueAspect(Screen->ValueAspect());
  InitControlState();
  ShowPanel();
  Image321Resize();
  Cycle = std::make_unique<TUpdateCycle>(Shared, Shared.Model, *MainComPort);
  // Both run on the timer thread; posting is how they reach the GUI thread.
  TickEvents = new TTickEvents(
      this, [this] { Guarded([this] { WMRedraw(); }); },
      [this] { Guarded([this] { Control->Connection().PortLost(); }); });
  Cycle->PostRedraw = [events = TickEvents] { events->PostRedraw(); };
  Cycle->PortLost = [events = TickEvents](const std::string&) { events->PostPortLost(); };
  Timer = std::make_unique<platform::TMultimediaTimer>();
  Timer->Start(TickPeriod, [cycle = Cycle.get()] { cycle->TimerCallback(); });
}

void TMainForm::InitControlState() {
  // Numbers are read and written with a point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  FLeftBtn->Tag = 1;
  FRightBtn->Tag = 2;
  Control->InitControlState();
}

void TMainForm::FormShow() { ExitBtn->setFocus(Qt::OtherFocusReason); }

void TMainForm::ExitBtnClick() { close(); }

// Stopping the timer waits for a running tick to end (the GUI thread holds
// no lock here), so no tick writes once the port is being closed.
void TMainForm::FormClose() {
  if (Timer) Timer->Stop();
  QCoreApplication::processEvents();
  if (Control) Control->Connection().Close();
  Closed = true;
}

void TMainForm::FormDestroy() {
  if (Timer) Timer->Stop();
  Timer.reset();
  Cycle.reset();
}

void TMainForm::WMRedraw() {
  ShowFrame(Control->Redraw());
  ++RedrawCount;
  // A tick has written what was changed before it: tell whoever waits.
  for (const std::function<void()>& written : Control->Written().TakeWritten()) written();
}

// Drawn from a copy, outside the lock: the tick never waits for a render.
// The screen's words change with its picture, so a reader hears a change
// at most once a redraw.
void TMainForm::ShowFrame(const screen::TZOLScreenModel& frame) {
  if (!Screen) return;
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

// Short sleeps between the rounds of messages keep the wait off the CPU.
void TMainForm::WaitWithMessages(unsigned ms) {
  const std::uint32_t start = platform::GetTickCount32();
  while (platform::GetTickCount32() - start < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void TMainForm::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Dialogs->ShowException(error);
  }
}

bool TMainForm::event(QEvent* e) {
  if (e->type() == RedrawEventType) {
    Guarded([this] { WMRedraw(); });
    return true;
  }
  if (e->type() == PortLostEventType) {
    Guarded([this] { Control->Connection().PortLost(); });
    return true;
  }
  return QMainWindow::event(e);
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
