#pragma once
// The command path as the bridge's reconnect sees it, scripted: which
// connects succeed, the panel's Run and Pause, and the handshake's release
// of Run, which fires the change callback as the real frame does.

#include <functional>
#include <string>
#include <vector>

#include "bridge/DeviceCalls.h"

namespace bridge::test {

class TFakeDevice final : public TDeviceCalls {
 public:
  bool Online() const override { return IsOnline; }
  std::string PortName() const override { return Port; }
  std::string Identity() const override { return "Zolvek"; }
  bool Connect(const std::string& name, std::string& why) override {
    Attempts.push_back(name);
    // The handshake releases Run (and Pause with it) and tells of it.
    Run = Pause = false;
    Fire();
    if (!Answers) {
      why = "the device did not answer as a generator";
      return false;
    }
    Port = name;
    IsOnline = true;
    Fire();
    return true;
  }
  bool RunDown() const override { return Run; }
  bool PauseDown() const override { return Pause; }
  void PressRun() override { ClientSets(Run = true); }
  void PressPause() override { ClientSets(Pause = true); }
  void OnLoss(std::function<void()> lost) override { Lost = std::move(lost); }
  void OnChanged(std::function<void()> changed) override { Changed = std::move(changed); }

  // A client's change of the panel, or the bridge's press.
  void ClientSets(bool) { Fire(); }
  // The device is lost: offline with Run and Pause released, then told.
  void Lose() {
    IsOnline = false;
    Run = Pause = false;
    Fire();
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
