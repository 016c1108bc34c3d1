#pragma once
// The command path as the reconnect sees it, scripted: whether a connect
// succeeds, the panel's Run and Pause, and the handshake's release of Run,
// which tells of the change as the real frame does.

#include <functional>
#include <string>
#include <vector>

#include "bridge/DeviceCalls.h"

namespace bridge::test {

struct TFakeDevice final : TDeviceCalls {
  bool Online() const override { return IsOnline; }
  std::string PortName() const override { return Port; }
  std::string Identity() const override { return "Zolvek"; }
  bool Connect(const std::string& name, std::string& why) override {
    Attempts.push_back(name);
    Run = Pause = false;  // the handshake releases them and tells of it
    Fire();
    why = Answers ? "" : "the device did not answer as a generator";
    if (Answers) Set(IsOnline = true, Port = name);
    return Answers;
  }
  bool RunDown() const override { return Run; }
  bool PauseDown() const override { return Pause; }
  void PressRun() override { Set(Run = true); }
  void PressPause() override { Set(Pause = true); }
  void OnLoss(std::function<void()> lost) override { Lost = std::move(lost); }
  void OnChanged(std::function<void()> changed) override { Changed = std::move(changed); }

  // A change of the panel (a client's, the bridge's press), told.
  template <class... T>
  void Set(T&&...) {
    Fire();
  }
  // The device is lost: offline with Run and Pause released, then told.
  void Lose() {
    Set(IsOnline = Run = Pause = false);
    if (Lost) Lost();
  }
  void Fire() {
    if (Changed) Changed();
  }

  bool Answers = true;
  bool IsOnline = false;
  bool Run = false;
  bool Pause = false;
  std::string Port;
  std::vector<std::string> Attempts;
  std::function<void()> Lost;
  std::function<void()> Changed;
};

}  // namespace bridge::test
