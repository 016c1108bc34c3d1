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
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
import vxi11client as vxi  # noqa: E402

ZOLVEK, SIM = sys.argv[1], sys.argv[2]
GRID = 25e6 / 2 ** 28
for tool in ("lxi", "rpcinfo"):
    if shutil.which(tool, path="/usr/sbin:/sbin:" + os.environ.get("PATH", "")) is None:
        print(f"SKIP: {tool} is not installed")
        sys.exit(77)


def fail(step, detail=""):
    print(f"FAIL: {step} {detail}")
    sys.exit(1)


def wait_for(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


def run(*command):
    return subprocess.run(command, capture_output=True, text=True, timeout=20)


class Session:
    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="zolvek-vxi11-")
        env = dict(os.environ, XDG_RUNTIME_DIR=self.dir, QT_QPA_PLATFORM="offscreen")
        self.log = os.path.join(self.dir, "sim.log")
        self.sim = subprocess.Popen([SIM, "--name", "sim0", "--log", self.log], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.islink(os.path.join(self.dir, "zolvek-ports", "sim0")), 5):
            fail("sim0 was not registered")
        self.program = subprocess.Popen([ZOLVEK, "--port", "sim0", "--vxi11"], env=env,
                                        stderr=subprocess.PIPE, text=True)
        self.said = []
        while True:
            line = self.program.stderr.readline()
            if not line:
                fail("the program ended:", "".join(self.said))
            self.said.append(line)
            if "VXI-11 instrument on" in line:
                break

    def close(self):
        for process in (self.program, self.sim):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def records(self):
        with open(self.log) as log:
            return [json.loads(line) for line in log if line.strip()]

    def frequency(self):
        tuned = [r for r in self.records() if r["kind"] in ("coarse", "fine")]
        return tuned[-1]["freq_hz"] if tuned else float("nan")


def main():
    s = Session()
    try:
        if any("cannot find" in line or "portmapper" in line.lower() for line in s.said[:-1]):
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
        answered = time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000
        if not wait_for(lambda: abs(s.frequency() - point) <= GRID, 0.5):
            fail(f"Bode point {point}: the generator is at", s.frequency())
        late = s.records()[-1]["t_us"] - answered
        if late > 5000:
            fail(f"Bode point {point}: the write returned {late / 1000:.1f} ms before the device had it")

    mark = len(s.records())
    times = vxi.bode_session("127.0.0.1", on_point=on_point)
    wait_for(lambda: s.records()[-1]["kind"] == "stop", 0.5)
    kinds = [r["kind"] for r in s.records()[mark:]]
    for wanted in ("amp_analog", "control_word", "stop"):
        if wanted not in kinds:
            fail(f"no {wanted} at the generator in the Bode session")
    if kinds[-1] != "stop":
        fail("OUTP OFF did not end the session with a stop:", kinds[-3:])
    print(f"{len(times)} points; per point max {max(times) * 1000:.1f} ms")


if __name__ == "__main__":
    sys.exit(main())
