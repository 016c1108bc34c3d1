// The main window's controls as created, and the layout at other sizes.

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <string>
#include <vector>

#include "screen/ZOLScreen.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"

namespace control::test {
namespace {

struct TPlace {
  const char* Name;
  QRect Geometry;
};

// Design places, with the right-hand controls as the 800-pixel width puts
// them and the right panel's controls following its 263-pixel height.
const std::vector<TPlace> PlacesAt800 = {
    {"FLeftBtn", {8, 3, 38, 23}},      {"FDeltaFBtn", {46, 3, 24, 23}},
    {"FRightBtn", {70, 3, 38, 23}},    {"FSetBtn", {8, 26, 100, 23}},
    {"FStartBtn", {8, 26, 50, 23}},    {"FstopBtn", {58, 26, 50, 23}},
    {"SweepBtn", {117, 3, 56, 23}},    {"PulseBtn", {117, 26, 56, 23}},
    {"LinLogGauge", {184, 4, 20, 43}}, {"SweepDirBar", {240, 4, 20, 43}},
    {"SwTimeLabel", {400, 4, 89, 15}}, {"SwGaugeBar", {304, 24, 282, 22}},
    {"InvertBtn", {590, 3, 48, 20}},   {"SwRstBtn", {590, 23, 23, 23}},
    {"PauseBtn", {615, 23, 23, 23}},   {"RunBtn", {646, 3, 56, 23}},
    {"ConnectBtn", {646, 26, 56, 23}}, {"ExitBtn", {710, 16, 60, 25}},
    {"AmpGaugeBar", {8, 8, 25, 213}},  {"DivGaugeBar", {43, 8, 25, 213}},
    {"SineBtn", {3, 226, 23, 25}},     {"TriBtn", {26, 226, 23, 25}},
    {"SquareBtn", {49, 226, 23, 25}},  {"BottomPanel", {0, 263, 800, 57}},
    {"RightPanel", {720, 0, 80, 263}}, {"Image321", {0, 0, 720, 263}},
};

using TMainFormLayout = MainWindowFixture;

TEST_F(TMainFormLayout, WindowIs800By320CentredWithItsCaption) {
  EXPECT_EQ(Form->size(), QSize(800, 320));
  EXPECT_EQ(Form->windowTitle(), "Varnel Generator");
  EXPECT_EQ(Form->minimumSize(), QSize(640, 240));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(Form->pos(),
            screen.topLeft() + QPoint((screen.width() - 800) / 2, (screen.height() - 320) / 2));
  EXPECT_FALSE(Form->windowIcon().isNull());
}

TEST_F(TMainFormLayout, EveryControlHasItsNameAndPlace) {
  for (const TPlace& place : PlacesAt800) {
    auto* widget = Form->findChild<QWidget*>(place.Name);
    ASSERT_NE(widget, nullptr) << place.Name;
    EXPECT_EQ(widget->geometry(), place.Geometry) << place.Name;
  }
  for (const char* label : {"Label1", "Label2", "Label3", "Label4"})
    EXPECT_NE(Form->findChild<QLabel*>(label), nullptr) << label;
  EXPECT_EQ(Form->Label3->pos(), QPoint(208, 6));
  EXPECT_EQ(Form->Label4->pos(), QPoint(208, 29));
  EXPECT_EQ(Form->Label2->pos(), QPoint(264, 6));
  EXPECT_EQ(Form->Label1->pos(), QPoint(264, 29));
  EXPECT_EQ(Form->FLeftBtn->parentWidget(), Form->BottomPanel);
  EXPECT_EQ(Form->SineBtn->parentWidget(), Form->RightPanel);
}

TEST_F(TMainFormLayout, FacesColoursAndTags) {
  struct TFace {
    ui::TSpeedButton* Button;
    QString Caption;
    QColor Color;
    int Tag;
  };
  const QColor arrow(0xC0, 0x00, 0x10), teal(0x00, 0x80, 0x80), purple(0x80, 0x00, 0x80);
  const std::vector<TFace> faces = {
      {Form->FLeftBtn, QString(QChar(0x2190)), arrow, 1},
      {Form->FDeltaFBtn, QStringLiteral("\u0394\u0192"), arrow, 0},
      {Form->FRightBtn, QString(QChar(0x2192)), arrow, 2},
      {Form->FSetBtn, "Set", arrow, 0},
      {Form->FStartBtn, "Start", teal, 1},
      {Form->FstopBtn, "Stop", teal, 2},
      {Form->SweepBtn, "Sweep", teal, 0},
      {Form->PulseBtn, "Pulse", teal, 1},
      {Form->InvertBtn, "Invert", teal, 0},
      {Form->SwRstBtn, QString(QChar(0x21BB)), teal, 0},
      {Form->PauseBtn, QStringLiteral("\u275A\u275A"), teal, 0},
      {Form->RunBtn, "Run", purple, 0},
      {Form->ConnectBtn, "Connect", purple, 0},
      {Form->SineBtn, "~", QColor(Qt::red), 1},
      {Form->TriBtn, QStringLiteral("\u2227\u2227"), QColor(Qt::black), 2},
      {Form->SquareBtn, QStringLiteral("\u23A5\u23A4\u23A6"), QColor(Qt::black), 3},
  };
  for (const TFace& f : faces) {
    const std::string name = f.Button->objectName().toStdString();
    EXPECT_EQ(f.Button->Caption(), f.Caption) << name;
    EXPECT_EQ(f.Button->FontColor(), f.Color) << name;
    EXPECT_EQ(f.Button->Tag, f.Tag) << name;
    EXPECT_EQ(f.Button->focusPolicy(), Qt::NoFocus) << name;
  }
  for (ui::TSpeedButton* b : {Form->SweepBtn, Form->RunBtn, Form->ConnectBtn, Form->FSetBtn}) {
    EXPECT_EQ(b->font().pixelSize(), 12);
    EXPECT_TRUE(b->font().bold());
    EXPECT_EQ(b->font().families().value(0), "Times New Roman");
  }
  EXPECT_EQ(Form->ExitBtn->text(), "Exit");
  EXPECT_EQ(Form->ExitBtn->font().pixelSize(), 12);
  EXPECT_EQ(Form->SineBtn->font().pixelSize(), 19);
  EXPECT_EQ(Form->BottomPanelFont.pixelSize(), 12);
  EXPECT_EQ(Form->MainFont.pixelSize(), 100);
  EXPECT_EQ(Form->MainFont.families().value(0), "Arial Narrow");
  EXPECT_EQ(Form->RightPanelFont.pixelSize(), 100);
  EXPECT_EQ(Form->RightPanelFont.families().value(0), "Tahoma");
  EXPECT_EQ(Form->Label3->text(), "Lin");
  EXPECT_EQ(Form->Label4->text(), "Log");
  EXPECT_EQ(Form->Label2->text(), "Up");
  EXPECT_EQ(Form->Label1->text(), "Down");
}

TEST_F(TMainFormLayout, KindsAndInitialStates) {
  // Toggles and groups.
  EXPECT_FALSE(Form->FLeftBtn->isCheckable());
  EXPECT_FALSE(Form->FSetBtn->isCheckable());
  EXPECT_FALSE(Form->SwRstBtn->isCheckable());
  EXPECT_EQ(Form->SweepBtn->GroupIndex(), Form->PulseBtn->GroupIndex());
  EXPECT_NE(Form->SweepBtn->GroupIndex(), 0);
  EXPECT_TRUE(Form->SweepBtn->AllowAllUp());
  for (ui::TSpeedButton* b : {Form->InvertBtn, Form->PauseBtn, Form->RunBtn, Form->ConnectBtn}) {
    EXPECT_TRUE(b->isCheckable());
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_FALSE(b->isChecked());
  }
  EXPECT_FALSE(Form->SineBtn->AllowAllUp());
  EXPECT_EQ(Form->SineBtn->GroupIndex(), Form->SquareBtn->GroupIndex());
  EXPECT_TRUE(Form->SineBtn->isChecked());
  EXPECT_FALSE(Form->TriBtn->isChecked());
  EXPECT_FALSE(Form->SquareBtn->isChecked());
  // Enabled and visible.
  for (QWidget* w : std::vector<QWidget*>{Form->FStartBtn, Form->FstopBtn}) {
    EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(w->isHidden());
  }
  for (QWidget* w : std::vector<QWidget*>{Form->LinLogGauge, Form->SweepDirBar, Form->SwGaugeBar,
                                          Form->SwTimeLabel, Form->Label1, Form->Label2,
                                          Form->Label3, Form->Label4, Form->InvertBtn,
                                          Form->SwRstBtn, Form->PauseBtn, Form->DivGaugeBar})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  for (QWidget* w : std::vector<QWidget*>{Form->FLeftBtn, Form->FSetBtn, Form->SweepBtn,
                                          Form->PulseBtn, Form->RunBtn, Form->ConnectBtn,
                                          Form->ExitBtn, Form->AmpGaugeBar, Form->SineBtn})
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  // Ranges and positions.
  struct TRange {
    ui::TGaugeBar* Gauge;
    int Min, Max, Position;
    Qt::Orientation Orientation;
    bool Arrows;
  };
  for (const TRange& r : std::vector<TRange>{{Form->LinLogGauge, 0, 1, 1, Qt::Vertical, false},
                                             {Form->SweepDirBar, 0, 2, 0, Qt::Vertical, false},
                                             {Form->SwGaugeBar, 1, 100, 1, Qt::Horizontal, true},
                                             {Form->AmpGaugeBar, -15, 0, 0, Qt::Vertical, true},
                                             {Form->DivGaugeBar, -1, 0, 0, Qt::Vertical, true}}) {
    const std::string name = r.Gauge->objectName().toStdString();
    EXPECT_EQ(r.Gauge->minimum(), r.Min) << name;
    EXPECT_EQ(r.Gauge->maximum(), r.Max) << name;
    EXPECT_EQ(r.Gauge->value(), r.Position) << name;
    EXPECT_EQ(r.Gauge->orientation(), r.Orientation) << name;
    EXPECT_EQ(r.Gauge->ShowArrows(), r.Arrows) << name;
    EXPECT_EQ(r.Gauge->singleStep(), 1) << name;
  }
}

TEST_F(TMainFormLayout, ExitButtonIsTheOnlyFocusableControlAndHasTheFocusWhenShown) {
  Form->show();
  EXPECT_EQ(Form->focusWidget(), Form->ExitBtn);
  for (QWidget* w : Form->findChildren<QWidget*>()) {
    if (w != Form->ExitBtn && w->isVisibleTo(Form.get()) && qobject_cast<QAbstractButton*>(w)) {
      EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
    }
  }
}

TEST_F(TMainFormLayout, SmallRequestGivesTheMinimumSizeAndItsLayout) {
  int width = 500, height = 200;
  Form->FormCanResize(width, height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 240);

  Form->show();
  Form->resize(500, 200);
  EXPECT_EQ(Form->size(), QSize(640, 240));
  EXPECT_EQ(Form->ExitBtn->x(), 550);
  EXPECT_EQ(Form->RunBtn->x(), 486);
  EXPECT_EQ(Form->ConnectBtn->x(), 486);
  EXPECT_EQ(Form->PauseBtn->x(), 455);
  EXPECT_EQ(Form->SwRstBtn->x(), 430);
  EXPECT_EQ(Form->InvertBtn->x(), 430);
  EXPECT_EQ(Form->SwGaugeBar->width(), 122);
  EXPECT_EQ(Form->SwTimeLabel->x(), 304 + (122 - 89) / 2);
  EXPECT_EQ(Form->RightPanel->geometry(), QRect(560, 0, 80, 183));
  EXPECT_EQ(Form->AmpGaugeBar->height(), 183 - 25 - 25);
  EXPECT_EQ(Form->DivGaugeBar->height(), 183 - 25 - 25);
  EXPECT_EQ(Form->SineBtn->y(), 183 - 25 - 12);
  EXPECT_EQ(Form->SquareBtn->y(), Form->SineBtn->y());
  EXPECT_EQ(Form->TriBtn->y(), Form->SineBtn->y());
}

TEST_F(TMainFormLayout, LargerWindowMovesTheRightHandControlsAndResizesTheScreenBitmap) {
  Form->show();
  Form->resize(1001, 400);
  EXPECT_EQ(Form->ExitBtn->x(), 911);
  EXPECT_EQ(Form->RunBtn->x(), 847);
  EXPECT_EQ(Form->PauseBtn->x(), 816);
  EXPECT_EQ(Form->SwRstBtn->x(), 791);
  EXPECT_EQ(Form->SwGaugeBar->width(), 791 - 304 - 4);
  EXPECT_EQ(Form->SwTimeLabel->x(), 304 + (483 - 89) / 2);
  EXPECT_EQ(Form->Image321->size(), QSize(921, 343));
  std::lock_guard<std::mutex> guard(Run->Shared().Lock);
  EXPECT_EQ(Form->Screen->Bitmap.size(), QSize(921, 343));
  EXPECT_EQ(Form->Image321->Image().size(), QSize(921, 343));
}

}  // namespace
}  // namespace control::test
