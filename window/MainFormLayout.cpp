// The main window's controls as laid out at design size, and how the layout
// follows a change of the window's size.

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "command/ControlPanel.h"
#include "command/GeneratorControl.h"
#include "window/ZOLMain.h"
#include "screen/ZOLScreen.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"

namespace control {
namespace {

constexpr int BottomPanelHeight = 57;
constexpr int RightPanelWidth = 80;

// A font by its design face with the installed faces that stand in for it.
QFont MakeFont(QStringList families, int pixelSize, bool bold = false) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

QFont SerifBold12() {
  return MakeFont({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")}, 12,
                  true);
}

// The glyphs of the Symbol and Webdings faces come from a Unicode face.
QFont SymbolFont(int pixelSize, bool bold) {
  return MakeFont({QStringLiteral("DejaVu Sans")}, pixelSize, bold);
}

// Caption and font; the colours, states and ranges are the panel's
// (TMainForm::ShowPanel).
struct TButtonFace {
  QString Caption;
  QFont Font;
};

ui::TSpeedButton* MakeSpeedButton(QWidget* parent, const char* name, QRect place,
                                  const TButtonFace& face, int tag = 0) {
  auto* button = new ui::TSpeedButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  button->SetCaption(face.Caption);
  button->setFont(face.Font);
  button->Tag = tag;
  return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, QPoint place, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(SerifBold12());
  QPalette p = label->palette();
  const QColor teal(QRgb{colors::Teal});
  p.setColor(QPalette::Active, QPalette::WindowText, teal);
  p.setColor(QPalette::Inactive, QPalette::WindowText, teal);
  label->setPalette(p);
  label->setAlignment(Qt::AlignCenter);
  label->move(place);
  label->adjustSize();
  return label;
}

ui::TGaugeBar* MakeGauge(QWidget* parent, const char* name, Qt::Orientation orientation,
                         QRect place, bool arrows) {
  auto* gauge = new ui::TGaugeBar(orientation, parent);
  gauge->setObjectName(QString::fromLatin1(name));
  gauge->setGeometry(place);
  gauge->SetShowArrows(arrows);
  return gauge;
}

// Names a listener understands (a screen reader speaks them) for the
// controls whose face is a glyph and the screen; the gauges are called by
// what they set (the panel's view), the other controls by their captions.
void NameForListeners(TMainForm& f) {
  const std::pair<QWidget*, const char*> names[] = {
      {f.FLeftBtn, "Step down"},       {f.FDeltaFBtn, "Frequency step"},
      {f.FRightBtn, "Step up"},        {f.SwRstBtn, "Restart sweep"},
      {f.PauseBtn, "Pause sweep"},     {f.SineBtn, "Sine"},
      {f.TriBtn, "Triangle"},          {f.SquareBtn, "Square"},
      {f.Image321, "Generator screen"}};
  for (const auto& [control, name] : names) control->setAccessibleName(QString::fromLatin1(name));
}

}  // namespace

// "Arial Narrow" counts as installed when its metric twin is.
bool ArialNarrowInstalled() {
  const QStringList families = QFontDatabase::families();
  return families.contains(QStringLiteral("Arial Narrow")) ||
         families.contains(QStringLiteral("Liberation Sans Narrow"));
}

void TMainForm::CreateControls() {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Varnel Generator"));
  setMinimumSize(MinimumOuter);
  MainFont =
      MakeFont({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")}, 100);
  RightPanelFont = MakeFont({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, 100);
  BottomPanelFont = MakeFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                              QStringLiteral("DejaVu Sans")},
                             12);

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("Client"));
  setCentralWidget(client);

  Image321 = new ui::TImageView(client);
  Image321->setObjectName(QStringLiteral("Image321"));
  BottomPanel = new ui::TPanel(client);
  BottomPanel->setObjectName(QStringLiteral("BottomPanel"));
  BottomPanel->setFont(BottomPanelFont);
  RightPanel = new ui::TPanel(client);
  RightPanel->setObjectName(QStringLiteral("RightPanel"));
  RightPanel->setFont(RightPanelFont);

  CreateBottomPanelControls();
  CreateRightPanelControls();
  NameForListeners(*this);
}

void TMainForm::CreateBottomPanelControls() {
  QWidget* p = BottomPanel;
  const QFont serif = SerifBold12();
  // ExitBtn first: it is the first (and only) control in the tab order.
  ExitBtn = new QPushButton(QStringLiteral("Exit"), p);
  ExitBtn->setObjectName(QStringLiteral("ExitBtn"));
  ExitBtn->setGeometry(718, 16, 60, 25);
  ExitBtn->setFont(BottomPanelFont);

  FLeftBtn = MakeSpeedButton(p, "FLeftBtn", {8, 3, 38, 23},
                             {QString(QChar(0x2190)), SymbolFont(12, true)}, 1);
  FDeltaFBtn = MakeSpeedButton(p, "FDeltaFBtn", {46, 3, 24, 23},
                               {QStringLiteral("\u0394\u0192"), SymbolFont(12, false)});
  FRightBtn = MakeSpeedButton(p, "FRightBtn", {70, 3, 38, 23},
                              {QString(QChar(0x2192)), SymbolFont(12, true)}, 2);
  FSetBtn = MakeSpeedButton(p, "FSetBtn", {8, 26, 100, 23}, {QStringLiteral("Set"), serif});
  FStartBtn = MakeSpeedButton(p, "FStartBtn", {8, 26, 50, 23}, {QStringLiteral("Start"), serif}, 1);
  FstopBtn = MakeSpeedButton(p, "FstopBtn", {58, 26, 50, 23}, {QStringLiteral("Stop"), serif}, 2);

  SweepBtn = MakeSpeedButton(p, "SweepBtn", {117, 3, 56, 23}, {QStringLiteral("Sweep"), serif});
  PulseBtn = MakeSpeedButton(p, "PulseBtn", {117, 26, 56, 23}, {QStringLiteral("Pulse"), serif}, 1);
  SweepBtn->SetGroup(1, true);
  PulseBtn->SetGroup(1, true);

  LinLogGauge = MakeGauge(p, "LinLogGauge", Qt::Vertical, {184, 4, 20, 43}, false);
  Label3 = MakeLabel(p, "Label3", {208, 6}, QStringLiteral("Lin"));
  Label4 = MakeLabel(p, "Label4", {208, 29}, QStringLiteral("Log"));
  SweepDirBar = MakeGauge(p, "SweepDirBar", Qt::Vertical, {240, 4, 20, 43}, false);
  Label2 = MakeLabel(p, "Label2", {264, 6}, QStringLiteral("Up"));
  Label1 = MakeLabel(p, "Label1", {264, 29}, QStringLiteral("Down"));
  SwTimeLabel = MakeLabel(p, "SwTimeLabel", {420, 4}, QStringLiteral("Sweep time"));
  SwTimeLabel->setFixedSize(89, 15);
  SwGaugeBar = MakeGauge(p, "SwGaugeBar", Qt::Horizontal, {304, 24, 289, 22}, true);

  InvertBtn = MakeSpeedButton(p, "InvertBtn", {598, 3, 48, 20}, {QStringLiteral("Invert"), serif});
  InvertBtn->SetGroup(2, true);
  SwRstBtn = MakeSpeedButton(p, "SwRstBtn", {598, 23, 23, 23},
                             {QString(QChar(0x21BB)), SymbolFont(13, true)});
  PauseBtn = MakeSpeedButton(p, "PauseBtn", {623, 23, 23, 23},
                             {QStringLiteral("\u275A\u275A"), SymbolFont(8, true)});
  PauseBtn->SetGroup(3, true);

  RunBtn = MakeSpeedButton(p, "RunBtn", {656, 3, 56, 23}, {QStringLiteral("Run"), serif});
  RunBtn->SetGroup(4, true);
  ConnectBtn =
      MakeSpeedButton(p, "ConnectBtn", {656, 26, 56, 23}, {QStringLiteral("Connect"), serif});
  ConnectBtn->SetGroup(5, true);
}

void TMainForm::CreateRightPanelControls() {
  QWidget* p = RightPanel;
  AmpGaugeBar = MakeGauge(p, "AmpGaugeBar", Qt::Vertical, {8, 8, 25, 179}, true);
  DivGaugeBar = MakeGauge(p, "DivGaugeBar", Qt::Vertical, {43, 8, 25, 179}, true);
  const QFont narrow =
      MakeFont({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow")}, 19);
  SineBtn = MakeSpeedButton(p, "SineBtn", {3, 192, 23, 25}, {QStringLiteral("~"), narrow}, 1);
  TriBtn = MakeSpeedButton(p, "TriBtn", {26, 192, 23, 25},
                           {QStringLiteral("\u2227\u2227"), SymbolFont(11, false)}, 2);
  SquareBtn = MakeSpeedButton(p, "SquareBtn", {49, 192, 23, 25},
                              {QStringLiteral("\u23A5\u23A4\u23A6"), SymbolFont(11, false)}, 3);
  for (ui::TSpeedButton* b : {SineBtn, TriBtn, SquareBtn}) b->SetGroup(6, false);
}

// Runs for every size the window takes; the minimum size has already
// turned a smaller request into 640 x 240.
void TMainForm::FormCanResize(int& newWidth, int& newHeight) {
  newWidth = std::max(newWidth, 640);
  newHeight = std::max(newHeight, 240);
  // No offset for old system versions: Linux counts as version 6 or later.
  ExitBtn->move(newWidth - 90, ExitBtn->y());
  RunBtn->move(ExitBtn->x() - RunBtn->width() - 8, RunBtn->y());
  ConnectBtn->move(RunBtn->x(), ConnectBtn->y());
  PauseBtn->move(RunBtn->x() - PauseBtn->width() - 8, PauseBtn->y());
  SwRstBtn->move(PauseBtn->x() - SwRstBtn->width() - 2, SwRstBtn->y());
  InvertBtn->move(SwRstBtn->x(), InvertBtn->y());
  SwGaugeBar->resize(SwRstBtn->x() - SwGaugeBar->x() - 4, SwGaugeBar->height());
  SwTimeLabel->move(SwGaugeBar->x() + (SwGaugeBar->width() - SwTimeLabel->width()) / 2,
                    SwTimeLabel->y());
  const int panelHeight = RightPanel->height();
  AmpGaugeBar->resize(AmpGaugeBar->width(), panelHeight - SineBtn->height() - 25);
  DivGaugeBar->resize(DivGaugeBar->width(), AmpGaugeBar->height());
  const int buttonTop = panelHeight - SineBtn->height() - 12;
  for (ui::TSpeedButton* b : {SineBtn, TriBtn, SquareBtn}) b->move(b->x(), buttonTop);
}

// The panels are docked first (bottom across the whole client width, right
// above it), so the right panel's gauges follow the new height at once. The
// size rules work on the outer size, frame included, as the window manager
// reports it.
void TMainForm::ApplyLayout(int width, int height) {
  width = std::max(width, MinimumOuter.width() - FrameExtra.width());
  height = std::max(height, MinimumOuter.height() - FrameExtra.height());
  BottomPanel->setGeometry(0, height - BottomPanelHeight, width, BottomPanelHeight);
  RightPanel->setGeometry(width - RightPanelWidth, 0, RightPanelWidth, height - BottomPanelHeight);
  const QSize imageSize(width - RightPanelWidth, height - BottomPanelHeight);
  const bool imageResized = Image321->size() != imageSize;
  Image321->setGeometry(QRect(QPoint(0, 0), imageSize));
  int outerWidth = width + FrameExtra.width();
  int outerHeight = height + FrameExtra.height();
  FormCanResize(outerWidth, outerHeight);
  if (imageResized) Image321Resize();
}

// The frame is known only once the window manager has framed the shown
// window; until then (and always without a window manager) the outer and
// the client size are the same. When it first shows, the window takes its
// outer start-up size and is centred again.
void TMainForm::TrackFrame() {
  // The offscreen platform reports a frame of its own invention that nothing
  // draws; there the window is its client area.
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  const QSize extra = frameGeometry().size() - size();
  if (extra == FrameExtra || extra.width() < 0 || extra.height() < 0) return;
  const bool firstFrame = FrameExtra.isNull();
  FrameExtra = extra;
  setMinimumSize(MinimumOuter - FrameExtra);
  if (firstFrame) {
    resize(StartOuter - FrameExtra);
    CentreOnScreen();
  }
  ApplyLayout(width(), height());
}

void TMainForm::FormResize() { update(); }

// The screen is drawn at the device pixel ratio of the screen the window
// is on; its model stays in logical pixels, the mouse's coordinates.
void TMainForm::Image321Resize() {
  if (!Screen) return;
  Screen->SetDevicePixelRatio(Image321->devicePixelRatioF());
  Screen->ResizeBitmap(Image321->width(), Image321->height());
  ShowFrame(Control.ResizeScreen(Screen->Size().width(), Screen->Size().height()), true);
}

void TMainForm::FollowDevicePixelRatio() {
  if (Screen && Screen->DevicePixelRatio() != std::max(Image321->devicePixelRatioF(), 1.0))
    Image321Resize();
}

// Centres the outer frame; move() places the frame's top-left corner.
void TMainForm::CentreOnScreen() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    const QSize outer = size() + FrameExtra;
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
  }
}

}  // namespace control
