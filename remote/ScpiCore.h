#pragma once
// What every remote client of one instrument shares: the instrument, the
// status registers and error queue, and the rule that only one command is
// carried out at a time. Sessions (one per client, of any transport) run
// their commands through it.
//
// Owns the status; refers to the instrument, which must outlive it.
// Thread contract: GUI thread only, like the instrument.

#include <memory>
#include <string>

#include "remote/Instrument.h"
#include "remote/ScpiStatus.h"

namespace remote {

class TScpiCore {
 public:
  explicit TScpiCore(TInstrument& instrument);
  TScpiCore(const TScpiCore&) = delete;
  TScpiCore& operator=(const TScpiCore&) = delete;

  TInstrument& Instrument() const { return Device; }
  TStatusRegisters& Status() { return Registers; }

  // The *IDN? reply: maker, model, connected port or none, program version.
  std::string Identity() const;

  // Commands may run now: no connect or handshake runs and no command is
  // already being carried out (a handshake processes events, and with them
  // the input of other clients).
  bool CanDispatch() const { return !Dispatching && !Device.Busy(); }

  // Held by a session while it carries out commands.
  class TDispatch {
   public:
    explicit TDispatch(TScpiCore& core) : Core(core) { Core.Dispatching = true; }
    ~TDispatch() { Core.Dispatching = false; }
    TDispatch(const TDispatch&) = delete;
    TDispatch& operator=(const TDispatch&) = delete;

   private:
    TScpiCore& Core;
  };

  // *OPC: the operation-complete event once every change made so far is
  // written, unless *CLS comes first.
  void ArmOperationComplete();
  // *CLS: events, error queue and any armed *OPC.
  void ClearStatus();

  // The generator was lost while online (unplugged, its port gone): once
  // per loss, a device error (-300, "generator lost" and the port) in the
  // queue, which sets the device-error event and the status byte's
  // error-queue bit. The program goes on offline, as a demonstration.
  void DeviceLost();

 private:
  TInstrument& Device;
  TStatusRegisters Registers;
  bool Dispatching = false;
  // Counts *CLS; shared with armed *OPC callbacks, which outlive nothing.
  std::shared_ptr<unsigned> ClearCount = std::make_shared<unsigned>(0);
};

}  // namespace remote
