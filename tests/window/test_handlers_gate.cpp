// One gate for every input: in each mode, each way of working a control
// (mouse, dialog answer, wheel, screen reader, remote control) is accepted
// or refused alike, as the modes table has it, and a refused one changes
// nothing that the tick could send. The real window, offline, ticks stopped.

#include <QAccessible>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <tuple>
#include <variant>

#include "command/GeneratorControl.h"
#include "command/RemoteInstrument.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/ImageView.h"

namespace control::test {
namespace {

using TButton = ui::TSpeedButton* TMainForm::*;
using TGauge = ui::TGaugeBar* TMainForm::*;

struct TInputs {
  TMainForm& Form;
  TScriptedDialogs& Dialogs;
  TRemoteInstrument Remote;
};
using TInput = std::pair<const char*, std::function<void(TInputs&)>>;

TInput Click(TButton b) {
  return {"click", [b](TInputs& in) { (in.Form.*b)->click(); }};
}

// A reader may send an action the control does not list.
TInput Assist(TButton b, const char* answer = nullptr) {
  return {"screen reader", [b, answer](TInputs& in) {
            if (answer) in.Dialogs.Answers.push_back(answer);
            QAccessibleActionInterface* a =
                QAccessible::queryAccessibleInterface(in.Form.*b)->actionInterface();
            a->doAction((in.Form.*b)->isCheckable() ? a->toggleAction() : a->pressAction());
          }};
}

TInput Hold(TButton b) {
  return {"mouse", [b](TInputs& in) {
            QTest::mousePress(in.Form.*b, Qt::LeftButton);
            QTest::mouseRelease(in.Form.*b, Qt::LeftButton);
          }};
}

TInput Wheel(int eighths) {
  return {"wheel", [eighths](TInputs& in) {
            const QPointF at(10, 10);
            QWheelEvent e(at, in.Form.Image321->mapToGlobal(at), QPoint(), QPoint(0, eighths),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(in.Form.Image321, &e);
          }};
}

TInput Move(TGauge g, int position) {
  return {"moved", [g, position](TInputs& in) { (in.Form.*g)->setValue(position); }};
}

TInput AssistValue(TGauge g, int position) {
  return {"screen reader", [g, position](TInputs& in) {
            QAccessible::queryAccessibleInterface(in.Form.*g)
                ->valueInterface()
                ->setCurrentValue(position);
          }};
}

TInput Dialog(std::function<void(TMainForm&)> handler, const char* answer) {
  return {"dialog", [handler, answer](TInputs& in) {
            in.Dialogs.Answers.push_back(answer);
            handler(in.Form);
          }};
}

TInput Remote(TSetting setting, double value) {
  return {"remote", [setting, value](TInputs& in) { in.Remote.Set(setting, value); }};
}

// The opposite of a choice's value now.
TInput RemoteToggle(TSetting setting) {
  return {"remote",
          [setting](TInputs& in) { in.Remote.Set(setting, in.Remote.Get(setting) == 0 ? 1 : 0); }};
}

// A control, or a setting that only the remote control sets by meaning.
struct TRow {
  std::variant<TControl, TSetting> Key;
  std::vector<TInput> Inputs;
};

std::vector<TRow> Rows() {
  using F = TMainForm;
  using S = TSetting;
  return {
      {TControl::RunBtn, {Click(&F::RunBtn), Assist(&F::RunBtn), RemoteToggle(S::Run)}},
      {TControl::SweepBtn, {Click(&F::SweepBtn), Assist(&F::SweepBtn)}},
      {TControl::PulseBtn, {Click(&F::PulseBtn), Assist(&F::PulseBtn)}},
      {TControl::FSetBtn,
       {Dialog(&F::FSetBtnClick, "1234"), Assist(&F::FSetBtn, "1234"), Remote(S::Frequency, 1234)}},
      {TControl::FStartBtn,
       {Dialog([](F& f) { f.FSetRangeBtnClick(1); }, "2"), Remote(S::Start, 2)}},
      {TControl::FstopBtn,
       {Dialog([](F& f) { f.FSetRangeBtnClick(2); }, "3000"), Remote(S::Stop, 3000)}},
      {TControl::FDeltaFBtn, {Dialog(&F::FDeltaFBtnClick, "5"), Remote(S::Step, 5)}},
      {TControl::FLeftBtn, {Hold(&F::FLeftBtn), Wheel(-120), Assist(&F::FLeftBtn)}},
      {TControl::FRightBtn, {Hold(&F::FRightBtn), Wheel(120), Assist(&F::FRightBtn)}},
      {TControl::SineBtn, {Click(&F::SineBtn), Assist(&F::SineBtn)}},
      {TControl::TriBtn, {Click(&F::TriBtn), Assist(&F::TriBtn)}},
      {TControl::SquareBtn, {Click(&F::SquareBtn), Assist(&F::SquareBtn)}},
      {TControl::InvertBtn, {Click(&F::InvertBtn), Assist(&F::InvertBtn), RemoteToggle(S::Invert)}},
      {TControl::SwRstBtn,
       {Click(&F::SwRstBtn),
        Assist(&F::SwRstBtn),
        {"remote", [](TInputs& in) { in.Remote.Restart(); }}}},
      {TControl::PauseBtn, {Click(&F::PauseBtn), Assist(&F::PauseBtn), RemoteToggle(S::Pause)}},
      {TControl::AmpGaugeBar,
       {Move(&F::AmpGaugeBar, -5), AssistValue(&F::AmpGaugeBar, -5), Remote(S::Attenuation, 5)}},
      {TControl::DivGaugeBar, {Move(&F::DivGaugeBar, -1), AssistValue(&F::DivGaugeBar, -1)}},
      {S::SquareDivider, {Remote(S::SquareDivider, 1)}},
      {S::Prescaler, {Remote(S::Prescaler, 8)}},
      {TControl::LinLogGauge,
       {Move(&F::LinLogGauge, 0), AssistValue(&F::LinLogGauge, 0), Remote(S::Spacing, 0)}},
      {TControl::SweepDirBar,
       {Move(&F::SweepDirBar, 2), AssistValue(&F::SweepDirBar, 2), Remote(S::Direction, 2)}},
      {TControl::SwGaugeBar,
       {Move(&F::SwGaugeBar, 37), AssistValue(&F::SwGaugeBar, 37), Remote(S::SweepTime, 37)}},
      {S::Marker, {Remote(S::Marker, 700)}},
      {S::PulsePeriod, {Remote(S::PulsePeriod, 1e-3)}},
      {S::PulseWidth, {Remote(S::PulseWidth, 1e-5)}},
  };
}

// The modes by the buttons that lead there from the start-up settings.
const std::vector<std::pair<const char*, std::vector<TButton>>> Modes = {
    {"normal", {}},
    {"normal, square", {&TMainForm::SquareBtn}},
    {"sweep", {&TMainForm::SweepBtn}},
    {"sweep running", {&TMainForm::SweepBtn, &TMainForm::RunBtn}},
    {"pulse", {&TMainForm::PulseBtn}},
};

class GateTableTest : public MainWindowFixture {
 protected:
  // What a refused input leaves as it was: the controls and the settings
  // with their marks.
  auto Seen() {
    return Locked([this](TSharedState& s) {
      return std::make_tuple(Run->Control().Panel(), s.Settings.Marked(), s.Settings, s.Model.Step);
    });
  }
};

TEST_F(GateTableTest, EveryInputOfAControlIsAcceptedOrRefusedAlike) {
  Run->StopTicks();
  for (const auto& [mode, presses] : Modes) {
    for (const TRow& row : Rows()) {
      for (const auto& [kind, apply] : row.Inputs) {
        Run->Control().ResetSettings();
        for (TButton b : presses) (Form.get()->*b)->click();
        ClearFlags();
        const bool takes =
            std::visit([this](auto key) { return Run->Control().Takes(key); }, row.Key);
        const auto before = Seen();
        TInputs inputs{*Form, *Dialogs, TRemoteInstrument(Run->Control(), [](unsigned) {})};
        apply(inputs);
        Dialogs->Answers.clear();
        EXPECT_EQ(Seen() != before, takes)
            << mode << ": " << kind << " on control " << row.Key.index() << "/"
            << std::visit([](auto key) { return static_cast<int>(key); }, row.Key);
      }
    }
  }
  EXPECT_TRUE(Dialogs->Messages.empty());
}

}  // namespace
}  // namespace control::test
