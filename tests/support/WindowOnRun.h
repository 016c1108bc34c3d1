#pragma once
// A main window on a run of its own, its modal dialogs answered from a
// script: what the window's tests and the end-to-end benchmarks stand on.
// GUI thread only; the run's tick posts to the window from the timer thread.

#include <cstdint>
#include <memory>

#include "app/AttachWindow.h"
#include "app/GeneratorRun.h"
#include "command/GeneratorControl.h"
#include "serial/ComSel.h"
#include "tests/support/ScriptedDialogs.h"
#include "window/About.h"
#include "window/ZOLMain.h"

namespace control::test {

struct TWindowOnRun {
  TWindowOnRun() = default;
  ~TWindowOnRun() { Destroy(); }
  TWindowOnRun(const TWindowOnRun&) = delete;
  TWindowOnRun& operator=(const TWindowOnRun&) = delete;

  // Apart from construction: a test bed the window looks at as it is made
  // (udev's) must be up first.
  void Open() {
    ComSel = std::make_unique<serial::TComSelBox>();
    About = std::make_unique<TAboutBox>();
    Run = std::make_unique<app::TGeneratorRun>();
    Form = std::make_unique<TMainForm>(Run->Control());
    app::AttachWindow(*Run, *Form);
    QObject::connect(Form.get(), &TMainForm::Redrawn, [this] { ++RedrawCount; });
    Form->SetComSelBox(ComSel.get());
    Form->SetAboutBox(About.get());
    auto dialogs = std::make_unique<TScriptedDialogs>();
    Dialogs = dialogs.get();
    Form->Dialogs = std::move(dialogs);
  }

  // The window closes before the run it shows, then the other two windows go.
  void Destroy() {
    Form.reset();
    Run.reset();
    About.reset();
    ComSel.reset();
  }

  std::unique_ptr<serial::TComSelBox> ComSel;
  std::unique_ptr<TAboutBox> About;
  std::unique_ptr<app::TGeneratorRun> Run;
  std::unique_ptr<TMainForm> Form;
  TScriptedDialogs* Dialogs = nullptr;
  // Redraws the window has drawn since it was made.
  std::uint64_t RedrawCount = 0;
};

}  // namespace control::test
