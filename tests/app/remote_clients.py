#!/usr/bin/python3
"""The program driven over the network by real SCPI clients, lxi-tools and
PyVISA, against the virtual generator; every setting is checked where it
matters, in the generator's decoded log.

Usage: remote_clients.py ZOLVEK ZOLVEK_SIM
Exit 0 on success, 1 on a failure (the step is printed), 77 when a client
is not installed.
"""
import math
import os
import re
import subprocess
import sys
import time

from program_session import ProgramSession, fail, require_clients, monotonic_us, wait_for

pyvisa = require_clients()

ZOLVEK, SIM = sys.argv[1], sys.argv[2]


def query(inst, text):
    """The reply and the moment it came, on the generator's clock."""
    reply = inst.query(text)
    return reply, monotonic_us()


def lxi(port, command):
    done = subprocess.run(["lxi", "scpi", "--address", "127.0.0.1", "--port", str(port), "--raw",
                           command], capture_output=True, text=True, timeout=20)
    return done.stdout.strip()


def main():
    session = ProgramSession(ZOLVEK, SIM, ["--remote=127.0.0.1:0"], "remote control on")
    session.port = int(re.search(r"remote control on 127\.0\.0\.1:(\d+)", "".join(session.said)).group(1))
    try:
        run(session)
    finally:
        session.close()
    print("PASS: lxi-tools and PyVISA drive the generator through the program")


def run(s):
    identity = lxi(s.port, "*IDN?")
    if not re.fullmatch(r"Zolvek,DDS-12M5,none,[0-9.]+", identity):
        fail("lxi *IDN? offline:", identity)

    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource(f"TCPIP::127.0.0.1::{s.port}::SOCKET", read_termination="\n",
                            write_termination="\n", timeout=10000)
    # Connect: the handshake, as the Connect button makes it.
    _, answered = query(inst, 'SYST:CONN "sim0";*OPC?')
    if inst.query("SYST:CONN?") != '"sim0",1':
        fail("SYST:CONN? after connecting")
    if not s.logged(lambda r: [x["kind"] for x in r] == ["identify", "square_table", "analog_table", "stop"],
                    answered):
        fail("handshake:", s.kinds_from(0))
    if not lxi(s.port, "*IDN?").startswith("Zolvek,DDS-12M5,sim0,"):
        fail("lxi *IDN? online")

    # Sine at 1 kHz, Run: *OPC? answers once the device has it.
    mark = len(s.records())
    _, answered = query(inst, "FUNC SIN;FREQ 1 KHZ;OUTP ON;*OPC?")
    s.logged(lambda r: r[-1]["kind"] == "control_word", answered)
    kinds = s.kinds_from(mark)
    if kinds[:1] != ["identify"] or "control_word" not in kinds:
        fail("Run's resync:", kinds)
    last = s.records()[-1]
    if not math.isclose(last["freq_hz"], 999.9610483646393, rel_tol=0, abs_tol=1e-9):
        fail("the device's frequency:", last)
    if inst.query("FREQ?") != "999.9610483646393":
        fail("FREQ? did not read back the grid frequency")

    # Each answer of a frequency list comes once the generator has the point.
    for hertz in range(1100, 2100, 100):
        _, answered = query(inst, f"FREQ {hertz};*OPC?")
        if not s.logged(lambda r: abs(r[-1]["freq_hz"] - hertz) <= 0.1, answered, f"FREQ {hertz}"):
            fail(f"FREQ {hertz} never reached the generator")
    s.check_answers_on_time()

    # A new frequency while running: one command, on the wire before *OPC? answers.
    mark = len(s.records())
    _, answered = query(inst, "FREQ 2000;*OPC?")
    if not s.logged(lambda r: r[-1]["kind"] == "fine" and abs(r[-1]["freq_hz"] - 2000) <= 0.1, answered):
        fail("FREQ 2000 at the device:", s.records()[mark:])

    # A sweep: mode change releases Run (stop), the sweep's marker moves.
    inst.write("SWE:STAT ON")
    inst.query("FREQ:STAR 100;STOP 10000;:SWE:TIME 1;:OUTP ON;*OPC?")
    mark = len(s.records())
    if not wait_for(lambda: "marker_set" in s.kinds_from(mark) and
                    "marker_clear" in s.kinds_from(mark), 5):
        fail("no sweep marker at the device:", s.kinds_from(mark)[:20])
    if inst.query("SYST:ERR?") != '0,"No error"':
        fail("errors during the sweep")

    # Pulse mode: stop, pulse mode on, period and width.
    inst.query("FUNC PULS;OUTP ON;PULS:PER 1 MS;WIDT 100 US;*OPC?")
    if not wait_for(lambda: "pulse_width" in s.kinds_from(mark), 3):
        fail("no pulse width at the device")
    pulse = [r for r in s.records()[mark:] if r["kind"] == "pulse_mode"]
    if not pulse or pulse[-1]["value"] != 1:
        fail("pulse mode on:", pulse)
    if abs(float(inst.query("PULS:PER?")) - 1e-3) > 1e-5:
        fail("PULS:PER?", inst.query("PULS:PER?"))
    # A setting pulse mode disables: an error, nothing sent.
    mark = len(s.records())
    inst.write("FREQ 5000")
    if not inst.query("SYST:ERR?").startswith("-221,"):
        fail("FREQ in pulse mode was not refused")
    time.sleep(0.2)
    if s.kinds_from(mark):
        fail("something was sent for a refused setting:", s.kinds_from(mark))
    inst.close()


if __name__ == "__main__":
    main()
