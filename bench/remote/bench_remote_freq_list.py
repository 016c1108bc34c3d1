#!/usr/bin/python3
"""A 100-point logarithmic frequency list from PyVISA, end to end: the real
program (offscreen) connected to the virtual generator, each point sent as
`FREQ f;*OPC?`, which answers once the generator has the frequency.
Per-point time (write to the answer) p50 and p99, and the total.
Targets: p99 under 60 ms a point, total under 6 s.

Usage: bench_remote_freq_list.py ZOLVEK ZOLVEK_SIM [points (100)]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pyvisa

ZOLVEK, SIM = sys.argv[1], sys.argv[2]
POINTS = int(sys.argv[3]) if len(sys.argv) > 3 else 100


def percentile(values, p):
    ordered = sorted(values)
    rank = max(1, min(len(ordered), -(-len(ordered) * p // 100)))
    return ordered[int(rank) - 1]


def main():
    work = tempfile.mkdtemp(prefix="zolvek-bench-")
    env = dict(os.environ, XDG_RUNTIME_DIR=work, QT_QPA_PLATFORM="offscreen")
    sim = subprocess.Popen([SIM, "--name", "sim0"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    while not os.path.islink(os.path.join(work, "zolvek-ports", "sim0")):
        time.sleep(0.05)
    program = subprocess.Popen([ZOLVEK, "--port", "sim0", "--remote=127.0.0.1:0"], env=env,
                               stderr=subprocess.PIPE, text=True)
    try:
        port = int(re.search(r":(\d+)$", program.stderr.readline().strip()).group(1))
        inst = pyvisa.ResourceManager("@py").open_resource(
            f"TCPIP::127.0.0.1::{port}::SOCKET", read_termination="\n", write_termination="\n",
            timeout=10000)
        while inst.query("SYST:CONN?") != '"sim0",1':
            time.sleep(0.1)
        inst.query("OUTP ON;*OPC?")
        ms = []
        start = time.perf_counter()
        for i in range(POINTS):
            f = 10.0 * (50000.0 / 10.0) ** (i / (POINTS - 1))
            t0 = time.perf_counter()
            inst.query(f"FREQ {f:.9g};*OPC?")
            ms.append((time.perf_counter() - t0) * 1000.0)
        total = time.perf_counter() - start
        p50, p99 = percentile(ms, 50), percentile(ms, 99)
        with open("/proc/loadavg") as load:
            print(f"load average: {' '.join(load.read().split()[:3])}")
        print(f"{POINTS} points: per point p50 {p50:.1f} ms, p99 {p99:.1f} ms, max {max(ms):.1f} ms; "
              f"total {total:.2f} s")
        ok = p99 < 60.0 and total < 6.0
        print(f"targets p99 < 60 ms, total < 6 s: {'PASS' if ok else 'FAIL'}")
        inst.close()
        return 0 if ok else 1
    finally:
        for process in (program, sim):
            process.terminate()
            process.wait(10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
