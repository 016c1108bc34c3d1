#!/usr/bin/python3
"""The program as a VXI-11 instrument with real clients, against the virtual
generator: lxi-tools and PyVISA find it through the portmapper, rpcinfo
lists it, and the replay of an oscilloscope's Bode session is checked point
by point in the generator's decoded log (each write returns only once the
generator has the frequency).

Usage: vxi11_program.py ZOLVEK ZOLVEK_SIM
Needs port 111 (root, or a running rpcbind): exit 77 when clients cannot
find the program there, or a client is missing.
"""
import os
import re
import shutil
import subprocess
import sys

from program_session import ProgramSession, fail, monotonic_us, wait_for

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
import vxi11client as vxi  # noqa: E402

ZOLVEK, SIM = sys.argv[1], sys.argv[2]
GRID = 25e6 / 2 ** 28
for tool in ("lxi", "rpcinfo"):
    if shutil.which(tool, path="/usr/sbin:/sbin:" + os.environ.get("PATH", "")) is None:
        print(f"SKIP: {tool} is not installed")
        sys.exit(77)


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=20)


def frequency(s):
    tuned = [r for r in s.records() if r["kind"] in ("coarse", "fine")]
    return tuned[-1]["freq_hz"] if tuned else float("nan")


def main():
    s = ProgramSession(ZOLVEK, SIM, ["--port", "sim0", "--vxi11"], "VXI-11 instrument on")
    try:
        if any("cannot find" in line or "portmapper" in line.lower() for line in s.said if "VXI-11 instrument on" not in line):
            print("SKIP: clients cannot find the program here:", "".join(s.said).strip())
            return 77
        check(s)
    finally:
        s.close()
    print("PASS: lxi-tools, PyVISA, rpcinfo and the Bode replay through VXI-11")
    return 0


def check(s):
    if not wait_for(lambda: run("lxi", "scpi", "-a", "127.0.0.1", "*IDN?").stdout.startswith(
            "Zolvek,DDS-12M5,sim0,"), 10):
        fail("lxi *IDN? over VXI-11:", run("lxi", "scpi", "-a", "127.0.0.1", "*IDN?").stdout)
    if not re.search(r"^\s*395183\s+1\s+tcp\s+\d+", run("rpcinfo", "-p", "127.0.0.1").stdout, re.M):
        fail("rpcinfo -p does not list the core program")

    import pyvisa
    inst = pyvisa.ResourceManager("@py").open_resource("TCPIP::127.0.0.1::INSTR")
    if not inst.query("*IDN?").startswith("Zolvek,DDS-12M5,sim0,"):
        fail("PyVISA *IDN? over VXI-11")
    inst.close()

    def on_point(point):
        # device_write returned once the point was on the line. The generator
        # logs it as soon as it has read it, stamped on the same clock: read
        # a few ms after the answer at most, never a tick later.
        answered = monotonic_us()
        if not s.logged(lambda r: abs(frequency(s) - point) <= GRID, answered, f"Bode point {point}'s write"):
            fail(f"Bode point {point}: the generator is at", frequency(s))

    mark = len(s.records())
    times = vxi.bode_session("127.0.0.1", on_point=on_point)
    s.check_answers_on_time()
    wait_for(lambda: s.records()[-1]["kind"] == "stop", 10)
    kinds = [r["kind"] for r in s.records()[mark:]]
    for wanted in ("amp_analog", "control_word", "stop"):
        if wanted not in kinds:
            fail(f"no {wanted} at the generator in the Bode session")
    if kinds[-1] != "stop":
        fail("OUTP OFF did not end the session with a stop:", kinds[-3:])
    print(f"{len(times)} points; per point max {max(times) * 1000:.1f} ms")


if __name__ == "__main__":
    sys.exit(main())
