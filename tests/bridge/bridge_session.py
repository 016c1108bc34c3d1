#!/usr/bin/python3
"""zolvek-bridge with real clients, against the virtual generator, with no
display and no Qt platform: no Qt Gui in its binary nor in its process;
PyVISA over the raw socket (connect, the handshake, FREQ on the wire,
*OPC?), an oscilloscope's Bode sweep over VXI-11; the generator hangs up
and its port goes (unplugged), -300 and SYST:CONN? offline, then the port
comes back (replugged): the bridge connects again by itself, sends every
setting the client had made, Run down again, and the same PyVISA client
goes on. One journal line per event, none while idle; without an
avahi-daemon one line says so.

Usage: bridge_session.py [--runner RUNNER...] BRIDGE ZOLVEK_SIM
With --runner (an emulator, qemu-aarch64) it also measures the tick.
Needs port 111 (run it in a network of its own, tests/support/own-network.sh)
for the Bode sweep: exit 77 when VXI-11 clients cannot find it, or PyVISA is
missing."""
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "app"))
sys.path.insert(0, os.path.join(HERE, "..", "remote"))
sys.path.insert(0, HERE)
from program_session import ProgramSession, fail, monotonic_us, wait_for  # noqa: E402
import vxi11client as vxi  # noqa: E402
from netns import split_runner  # noqa: E402

runner, (BRIDGE, SIM) = split_runner(sys.argv[1:])
GRID = 25e6 / 2 ** 28
try:
    import pyvisa
except ImportError:
    print("SKIP: python3-pyvisa-py is not installed")
    sys.exit(77)


def no_qt_gui(s):
    """Neither the binary nor the running process has Qt Gui or Widgets."""
    needed = subprocess.run(["readelf", "-d", BRIDGE], capture_output=True, text=True).stdout
    if "libQt6Core" not in needed:
        fail("readelf does not list Qt Core for", BRIDGE)
    if re.search(r"libQt6(Gui|Widgets)", needed):
        fail("the bridge links Qt Gui:", needed)
    with open(f"/proc/{s.program.pid}/maps") as maps:
        loaded = maps.read()
    if "libQt6Core" not in loaded or re.search(r"libQt6(Gui|Widgets)", loaded):
        fail("the bridge's process maps Qt Gui, or not even Qt Core")


def frequency(s):
    tuned = [r for r in s.records() if r["kind"] in ("coarse", "fine")]
    return tuned[-1]["freq_hz"] if tuned else float("nan")


def check_drives(s, inst):
    if not re.fullmatch(r"Zolvek,DDS-12M5,sim0,[0-9.]+", inst.query("*IDN?")):
        fail("*IDN? online")
    answered = (inst.query("FUNC SQU;FREQ 1234;OUTP ON;*OPC?"), monotonic_us())[1]
    if not s.logged(lambda r: abs(frequency(s) - 1234) <= GRID, answered, "FREQ 1234"):
        fail("FREQ 1234 never reached the generator:", s.records()[-3:])
    s.check_answers_on_time()


def check_bode(s):
    points = []
    vxi.bode_session("127.0.0.1", on_point=lambda p: points.append((p, monotonic_us())))
    if not wait_for(lambda: s.records()[-1]["kind"] == "stop", 10):
        fail("C1:OUTP OFF did not stop the generator")
    last, _ = points[-1]
    if not any(abs(r["freq_hz"] - last) <= GRID for r in s.records()):
        fail(f"the Bode sweep's last point {last} never reached the generator")
    print(f"Bode sweep: {len(points)} points on the generator")


def check_replug(s, inst):
    """Unplugged while sweeping, a setting made meanwhile, plugged in again."""
    inst.query("SWE:STAT ON;:FREQ:STAR 100;STOP 10000;:SWE:TIME 20;:OUTP ON;*OPC?")
    # The generator hangs up after its few commands more, one a tick.
    if not wait_for(lambda: inst.query("SYST:CONN?") == '"sim0",0', 30):
        fail("the generator's hang-up did not take the bridge offline")
    s.wait_said("lost the generator on sim0")
    s.unplug()
    errors = [inst.query("SYST:ERR?") for _ in range(3)]
    if not any(e.startswith('-300,"Device-specific error;generator lost on sim0"') for e in errors):
        fail("no -300 in the error queue:", errors)
    inst.query("FREQ:STAR 150;*OPC?")  # offline: kept for the device's return
    time.sleep(1.5)  # a retry or two find no port
    s.plug()
    s.wait_said("reconnected to sim0")
    if not wait_for(lambda: inst.query("SYST:CONN?") == '"sim0",1', 10):
        fail("SYST:CONN? after the replug:", inst.query("SYST:CONN?"))
    if inst.query("OUTP?") != "1" or inst.query("SWE:STAT?") != "1":
        fail("Run and the sweep are not as before the loss")
    kinds = [r["kind"] for r in s.records()]
    if kinds[:3] != ["identify", "square_table", "analog_table"]:
        fail("the replugged generator had no full handshake:", kinds[:5])
    # The sweep starts again from the start frequency set while unplugged.
    if not wait_for(lambda: 149 <= frequency(s) <= 400, 5):
        fail("the sweep does not start at 150 Hz after the replug:", s.records()[-4:])
    if not any("square" in r["meaning"] for r in s.records() if r["kind"] == "control_word"):
        fail("the square wave was not sent again after the replug:", s.records()[:12])
    answered = (inst.query("SWE:STAT OFF;:FREQ 555;:OUTP ON;*OPC?"), monotonic_us())[1]
    if not s.logged(lambda r: abs(frequency(s) - 555) <= GRID, answered, "FREQ 555 after the replug"):
        fail("PyVISA does not go on after the replug:", s.records()[-3:])


def check_journal(s):
    time.sleep(0.5)
    quiet_from = time.monotonic()
    time.sleep(1.5)  # the tick runs, nobody comes: nothing to say
    idle = [line for line, at in zip(s.said, s.said_at) if at >= quiet_from]
    if idle:
        fail("lines while idle:", idle)
    s.program.terminate()
    s.program.wait(10)
    s.wait_said("stopping")
    text = "".join(s.said)
    for wanted in ("connected to sim0", "SCPI: admitted 127.0.0.1", "VXI-11: admitted 127.0.0.1",
                   "lost the generator on sim0", "reconnected to sim0"):
        if wanted not in text:
            fail(f"the journal lacks '{wanted}':", text)
    if text.count("no avahi-daemon") != 1:
        fail("no avahi-daemon is not said once:", text)
    if s.program.returncode != 0:
        fail("the bridge did not end cleanly on SIGTERM:", s.program.returncode)
    print(f"journal: {len(s.said)} lines, none while idle")


def check_tick(s, inst):
    inst.query("SWE:STAT ON;:FREQ:STAR 100;STOP 10000;:SWE:TIME 20;:OUTP ON;*OPC?")
    gaps = s.tick_gaps(6)
    median, near = gaps[len(gaps) // 2], sum(40 <= g <= 60 for g in gaps) / len(gaps)
    print(f"tick: {len(gaps)} gaps, mean {sum(gaps) / len(gaps):.2f} ms, median {median:.2f} ms, "
          f"{near:.0%} within 40..60 ms, worst {gaps[-1]:.1f} ms")
    if len(gaps) < 100 or abs(median - 50) > 1 or near < 0.9:
        fail("the tick does not keep 50 ms")
    inst.query("SWE:STAT OFF;*OPC?")


def main():
    s = ProgramSession(BRIDGE, SIM, ["--port", "sim0", "--remote=0.0.0.0:0", "--vxi11=0.0.0.0"],
                       "connected to sim0", sim_options=["--hangup-after", "60"], headless=True,
                       runner=runner, extra_env={"DBUS_SYSTEM_BUS_ADDRESS": "unix:path=/nonexistent"})
    try:
        if any("will not find" in line for line in s.said):
            print("SKIP: VXI-11 clients cannot find the bridge here:", "".join(s.said).strip())
            return 77
        port = re.search(r"SCPI on 0\.0\.0\.0:(\d+)", "".join(s.said)).group(1)
        no_qt_gui(s)
        inst = pyvisa.ResourceManager("@py").open_resource(
            f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n", write_termination="\n",
            timeout=20000)
        check_drives(s, inst)
        check_replug(s, inst)
        check_bode(s)
        if runner:
            check_tick(s, inst)
        inst.close()
        check_journal(s)
    finally:
        s.close()
    print("PASS: the bridge, headless, drives the generator from PyVISA and VXI-11 and comes back "
          "after an unplug and replug")
    return 0


if __name__ == "__main__":
    sys.exit(main())
