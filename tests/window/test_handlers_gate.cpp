// One gate for every input: in each mode, each way of working a control
// (mouse, dialog answer, wheel, screen reader, remote control) is accepted
// or refused alike, as the modes table has it, and a refused one changes
// nothing that the tick could send. The real window, offline, ticks stopped.

#include <QAccessible>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <tuple>

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

template <class F>
TInput Remote(F f) {
  return {"remote", [f](TInputs& in) { f(in.Remote); }};
}

struct TRow {
  TControl Control;
  std::vector<TInput> Inputs;
};

std::vector<TRow> Rows() {
  using F = TMainForm;
  using R = TRemoteInstrument&;
  return {
      {TControl::RunBtn,
       {Click(&F::RunBtn), Assist(&F::RunBtn), Remote([](R r) { r.SetRun(!r.Run()); })}},
      {TControl::SweepBtn, {Click(&F::SweepBtn), Assist(&F::SweepBtn)}},
      {TControl::PulseBtn, {Click(&F::PulseBtn), Assist(&F::PulseBtn)}},
      {TControl::FSetBtn,
       {Dialog(&F::FSetBtnClick, "1234"), Assist(&F::FSetBtn, "1234"),
        Remote([](R r) { r.SetFrequency(1234); })}},
      {TControl::FStartBtn,
       {Dialog([](F& f) { f.FSetRangeBtnClick(1); }, "2"), Remote([](R r) { r.SetStart(2); })}},
      {TControl::FstopBtn, {Dialog([](F& f) { f.FSetRangeBtnClick(2); }, "3000"), Remote([](R r) {
                              r.SetStop(3000);
                            })}},
      {TControl::FDeltaFBtn, {Dialog(&F::FDeltaFBtnClick, "5"), Remote([](R r) { r.SetStep(5); })}},
      {TControl::FLeftBtn, {Hold(&F::FLeftBtn), Wheel(-120), Assist(&F::FLeftBtn)}},
      {TControl::FRightBtn, {Hold(&F::FRightBtn), Wheel(120), Assist(&F::FRightBtn)}},
      {TControl::SineBtn, {Click(&F::SineBtn), Assist(&F::SineBtn)}},
      {TControl::TriBtn, {Click(&F::TriBtn), Assist(&F::TriBtn)}},
      {TControl::SquareBtn, {Click(&F::SquareBtn), Assist(&F::SquareBtn)}},
      {TControl::InvertBtn, {Click(&F::InvertBtn), Assist(&F::InvertBtn), Remote([](R r) {
                               r.SetInverted(!r.Inverted());
                             })}},
      {TControl::SwRstBtn,
       {Click(&F::SwRstBtn), Assist(&F::SwRstBtn), Remote([](R r) { r.Restart(); })}},
      {TControl::PauseBtn,
       {Click(&F::PauseBtn), Assist(&F::PauseBtn), Remote([](R r) { r.SetPause(!r.Pause()); })}},
      {TControl::AmpGaugeBar,
       {Move(&F::AmpGaugeBar, -5), AssistValue(&F::AmpGaugeBar, -5),
        Remote([](R r) { r.SetAttenuation(5); })}},
      {TControl::DivGaugeBar, {Move(&F::DivGaugeBar, -1), AssistValue(&F::DivGaugeBar, -1)}},
      {TControl::SquareDivider, {Remote([](R r) { r.SetDivider(true); })}},
      {TControl::Prescaler, {Remote([](R r) { r.SetPrescaler(8); })}},
      {TControl::LinLogGauge,
       {Move(&F::LinLogGauge, 0), AssistValue(&F::LinLogGauge, 0),
        Remote([](R r) { r.SetSpacing(remote::TSpacing::Linear); })}},
      {TControl::SweepDirBar,
       {Move(&F::SweepDirBar, 2), AssistValue(&F::SweepDirBar, 2),
        Remote([](R r) { r.SetDirection(remote::TDirection::Down); })}},
      {TControl::SwGaugeBar,
       {Move(&F::SwGaugeBar, 37), AssistValue(&F::SwGaugeBar, 37),
        Remote([](R r) { r.SetSweepTime(37); })}},
      {TControl::SweepMarker, {Remote([](R r) { r.SetMarker(700); })}},
      {TControl::PulsePeriod, {Remote([](R r) { r.SetPulsePeriod(1e-3); })}},
      {TControl::PulseWidth, {Remote([](R r) { r.SetPulseWidth(1e-5); })}},
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
  // What a refused input leaves as it was: the controls, the flags and the model's settings.
  auto Seen() {
    return Locked([this](TSharedState& s) {
      const screen::TZOLScreenModel& m = s.Model;
      std::vector<double> settings = {m.Step, double(m.Waveform), double(m.Divider),
                                      double(m.AmpLevelAnalog), double(m.AmpLevelSquare)};
      for (const screen::TFreqSlot& slot : m.Slots) settings.push_back(slot.Freq);
      const TUpdateFlags& f = s.State.Flags;
      const std::vector<bool> flags = {f.ResyncAll,      f.PulseModeDirty,  f.AmpSquareDirty,
                                       f.AmpAnalogDirty, f.PulseWidthDirty, f.InvertDirty,
                                       f.SweepRestart,   f.FreqDirty,       f.FreqStepDirty,
                                       f.WaveDirty,      f.PulseDivDirty};
      return std::make_tuple(Run->Control().Panel(), flags, settings);
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
        const bool takes = Run->Control().Takes(row.Control);
        const auto before = Seen();
        TInputs inputs{*Form, *Dialogs, TRemoteInstrument(Run->Control(), [](unsigned) {})};
        apply(inputs);
        Dialogs->Answers.clear();
        EXPECT_EQ(Seen() != before, takes)
            << mode << ": " << kind << " on control " << static_cast<int>(row.Control);
      }
    }
  }
  EXPECT_TRUE(Dialogs->Messages.empty());
}

}  // namespace
}  // namespace control::test
