#pragma once
// The main window: its controls and the generator screen, on the command
// path of a run.
//
// Owns the controls (through Qt parents), the screen's picture, the dialogs
// and the removal watcher; refers to the command path, owned by the run
// (app/GeneratorRun), which must outlive it. The window's handlers are thin:
// they ask the questions (dialogs), hand the user's change to the command
// path and show its panel on the widgets (ShowPanel); they never hold the
// state lock.
// Thread contract: every member function runs on the GUI thread; the run
// posts the tick's notices there.
#include <QEvent>
#include <QFont>
#include <QSize>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>

#include "core/ControlState.h"

class QLabel;
class QPushButton;

namespace screen {
class TZOLScreen;
class TZOLScreenModel;
}  // namespace screen
namespace serial {
class TTinyComPort;
class TComSelBox;
class TPortRemovalWatcher;
}  // namespace serial
namespace platform {
class TMultimediaTimer;
}
namespace ui {
class TSpeedButton;
class TGaugeBar;
class TImageView;
class TPanel;
class TFloatMinimizer;
class TDialogs;
}  // namespace ui

namespace control {

enum class TEntry;
class TAboutBox;
class TGeneratorControl;

class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(TGeneratorControl& control, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The tick's notices, on the GUI thread (the run posts them): a redraw is
  // due, a port error ended a tick.
  void TickRedraw();
  void TickPortLost();
  // Stops the tick; called when the window closes, before the device is
  // stopped. The run sets it.
  std::function<void()> StopTicks;
  // The handshake's waits, which keep the application's events going (the
  // redraws, removed ports, the enabled controls). The run sets it.
  std::function<void(unsigned ms)> WaitWithEvents;

  // The other two windows, created after the main window.
  void SetAboutBox(TAboutBox* box) { AboutBox = box; }
  void SetComSelBox(serial::TComSelBox* box) { ComSelBox = box; }

  // Controls of the bottom panel.
  ui::TPanel* BottomPanel = nullptr;
  ui::TSpeedButton* FLeftBtn = nullptr;
  ui::TSpeedButton* FDeltaFBtn = nullptr;
  ui::TSpeedButton* FRightBtn = nullptr;
  ui::TSpeedButton* FSetBtn = nullptr;
  ui::TSpeedButton* FStartBtn = nullptr;
  ui::TSpeedButton* FstopBtn = nullptr;
  ui::TSpeedButton* SweepBtn = nullptr;
  ui::TSpeedButton* PulseBtn = nullptr;
  ui::TGaugeBar* LinLogGauge = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  ui::TGaugeBar* SweepDirBar = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* SwTimeLabel = nullptr;
  ui::TGaugeBar* SwGaugeBar = nullptr;
  ui::TSpeedButton* InvertBtn = nullptr;
  ui::TSpeedButton* SwRstBtn = nullptr;
  ui::TSpeedButton* PauseBtn = nullptr;
  ui::TSpeedButton* RunBtn = nullptr;
  ui::TSpeedButton* ConnectBtn = nullptr;
  QPushButton* ExitBtn = nullptr;
  // Controls of the right panel.
  ui::TPanel* RightPanel = nullptr;
  ui::TGaugeBar* AmpGaugeBar = nullptr;
  ui::TGaugeBar* DivGaugeBar = nullptr;
  ui::TSpeedButton* SineBtn = nullptr;
  ui::TSpeedButton* TriBtn = nullptr;
  ui::TSpeedButton* SquareBtn = nullptr;
  // The generator screen.
  ui::TImageView* Image321 = nullptr;

  // Fonts handed to the screen: the window's own ("Arial Narrow" 100 px),
  // the right panel's ("Tahoma" 100 px) and the bottom panel's (12 px).
  QFont MainFont;
  QFont RightPanelFont;
  QFont BottomPanelFont;

  ui::TFloatMinimizer* FloatMinimizer = nullptr;
  // The screen's picture; the model it draws is the command path's.
  std::unique_ptr<screen::TZOLScreen> Screen;
  // Modal dialogs and message boxes; tests replace it.
  std::unique_ptr<ui::TDialogs> Dialogs;

  // The handlers that tests and benchmarks run as the window's events do.
  void FormCanResize(int& newWidth, int& newHeight);
  void WMRedraw();
  void HiddenAboutText();
  void WMDeviceChange(const std::string& removedPortName);
  // Frequency entry by dialog.
  void FSetBtnClick();
  void FDeltaFBtnClick();
  void FSetRangeBtnClick(int tag);
  // The arrows' and the screen's mouse handlers.
  void ControlMouseDown(int tag, Qt::MouseButton button);
  void ControlMouseUp(Qt::MouseButton button);
  void Image321MouseDown(Qt::MouseButton button, int x, int y);
  void Image321MouseMove(int x, int y);
  void Image321MouseUp(Qt::MouseButton button);

 signals:
  // A redraw has been drawn and shown.
  void Redrawn();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void moveEvent(QMoveEvent* e) override;

 private:
  // Life cycle.
  void FormCreate();
  void InitControlState();
  void FormShow();
  void ExitBtnClick();
  void FormClose();
  void FormDestroy();
  // Layout and About box.
  void FormResize();
  void Image321Resize();
  // The window moved to a screen of another device pixel ratio: the screen
  // is drawn anew at the new ratio.
  void FollowDevicePixelRatio();
  void PanelDblClick();
  // Connect clicked into this down state.
  void ConnectBtnClick(bool down);
  // Whole notches of the wheel over the screen, positive upward.
  void Image321Wheel(int notches);
  // Shows the command path's panel on the widgets, without running handlers.
  void ShowPanel();

  void CreateControls();
  void CreateBottomPanelControls();
  void CreateRightPanelControls();
  void ConnectHandlers();
  // Asks for a frequency dialog's value and stores it, with the messages.
  void AskForEntry(TEntry entry);
  // Places the panels and the screen for a window of this size and runs
  // FormCanResize.
  void ApplyLayout(int width, int height);
  void CentreOnScreen();
  // Keeps the outer size rules right once the window manager's frame is known.
  void TrackFrame();
  // Draws a frame of the model and shows it in Image321, unless it shows
  // just what the last one drawn did (a resize always draws).
  void ShowFrame(const screen::TZOLScreenModel& frame, bool always = false);
  // Runs a handler; an exception that escapes it goes to the default error box.
  void Guarded(const std::function<void()>& handler);

  TGeneratorControl& Control;
  // Reports the removal of serial ports (child object).
  serial::TPortRemovalWatcher* PortWatcher = nullptr;
  // Receives the tick's redraw and port-lost events (child object).
  TAboutBox* AboutBox = nullptr;
  serial::TComSelBox* ComSelBox = nullptr;
  bool Closed = false;
  bool Shown = false;
  // The frame drawn last.
  std::optional<screen::TZOLScreenModel> Drawn;
  // Outer sizes (frame included) of the window at start-up and at least.
  static constexpr QSize StartOuter{800, 320};
  static constexpr QSize MinimumOuter{640, 240};
  // Outer minus client size; zero until a window manager frames the window.
  QSize FrameExtra{0, 0};
};

// True when "Arial Narrow" or its metric twin "Liberation Sans Narrow" is installed.
bool ArialNarrowInstalled();

}  // namespace control
