#!/usr/bin/python3
"""zolvek.exe under Wine (scripts/lib/wine-zolvek runs $ZOLVEK_EXE) served
with --remote to PyVISA on Linux, the virtual generator on its COM port; the
50 ms tick measured on the generator's clock, where a sweep sends one tuning
command a tick.

Usage: remote_wine.py WINE_ZOLVEK ZOLVEK_SIM   (on an X display)
"""
import re
import sys
import time

from program_session import ProgramSession, fail, monotonic_us

try:
    import pyvisa
except ImportError:
    print("SKIP: python3-pyvisa-py is not installed")
    sys.exit(77)


def run(s):
    port = int(re.search(r"remote control on 127\.0\.0\.1:(\d+)", s.said[-1]).group(1))
    inst = pyvisa.ResourceManager("@py").open_resource(
        f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n", write_termination="\n",
        timeout=10000)
    if not re.fullmatch(r"Zolvek,DDS-12M5,none,[0-9.]+", inst.query("*IDN?")):
        fail("*IDN? offline")
    inst.query('SYST:CONN "COM5";*OPC?')
    if s.kinds_from(0) != ["identify", "square_table", "analog_table", "stop"]:
        fail("handshake on COM5:", s.kinds_from(0))
    inst.query("OUTP ON;*OPC?")
    answered = (inst.query("FREQ 1000;*OPC?"), monotonic_us())[1]
    if not s.logged(lambda r: abs(r[-1].get("freq_hz", 0) - 1000) <= 0.1, answered, "FREQ 1000"):
        fail("FREQ 1000 never reached the generator:", s.records()[-3:])
    s.check_answers_on_time(allowed=0)

    inst.write("SWE:STAT ON")
    inst.query("FREQ:STAR 100;STOP 10000;:SWE:TIME 20;:OUTP ON;*OPC?")
    mark = len(s.records())
    time.sleep(6)
    ticks = [r["t_us"] for r in s.records()[mark:] if r["kind"] in ("coarse", "fine")]
    gaps = [(b - a) / 1000 for a, b in zip(ticks, ticks[1:])]
    if len(gaps) < 100:
        fail(f"{len(gaps) + 1} tuning commands in 6 s of sweep")
    mean = sum(gaps) / len(gaps)
    print(f"tick under Wine: {len(gaps)} gaps, mean {mean:.2f} ms, worst {max(gaps):.1f} ms")
    if abs(mean - 50) > 1 or max(gaps) >= 100:
        fail("the tick does not keep 50 ms")
    inst.close()


def main():
    s = ProgramSession(sys.argv[1], sys.argv[2], ["--remote=127.0.0.1:0"], "remote control on")
    try:
        run(s)
    finally:
        s.close()
    print("PASS: PyVISA drives zolvek.exe under Wine; the tick keeps 50 ms")


if __name__ == "__main__":
    main()
