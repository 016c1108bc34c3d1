#!/usr/bin/python3
"""The remote servers against idle, greedy and hostile clients, with the virtual generator, and
the tick's largest gap meanwhile.  remote_admission.py ZOLVEK ZOLVEK_SIM [CHECK...]; 77: no clients"""
import os
import re
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

from program_session import ProgramSession, fail, require_clients, monotonic_us, wait_for

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "remote"))
import vxi11client as vxi  # noqa: E402

pyvisa = require_clients()

ZOLVEK, SIM = sys.argv[1], sys.argv[2]
HOST, GRACE = "127.0.0.1", 2.0  # the documented grace, in seconds
SWEEP = "SWE:STAT ON;:FREQ:STAR 100;STOP 10000;:SWE:TIME 1;:OUTP ON;*OPC?"


def start(*options):
    s = ProgramSession(ZOLVEK, SIM, ["--port", "sim0", "--remote=127.0.0.1:0", "--vxi11", *options],
                       "VXI-11 instrument on")
    said = "".join(s.said)
    s.scpi = int(re.search(r"remote control on 127\.0\.0\.1:(\d+)", said).group(1))
    note = re.search(r"TCPIP::127\.0\.0\.1,(\d+)::INSTR", said)  # no portmapper here
    s.portmapper, s.core = note is None, int(note.group(1)) if note else vxi.getport(HOST)
    wait_for(lambda: len(s.records()) >= 4, 5)  # the handshake of --port
    return s


def connect(port, source=HOST):
    return socket.create_connection((HOST, port), timeout=3, source_address=(source, 0))


def ask(c, text):
    c.sendall(text.encode() + b"\n")
    data = b""
    while not data.endswith(b"\n"):
        data += c.recv(65536) or fail("closed by the program while asking", text[:20])
    return data.decode().strip()


def closed(c, seconds):
    c.settimeout(seconds)
    try:
        while c.recv(65536):
            pass
    except socket.timeout:
        return False
    except OSError:
        pass
    return True


def create_link(link):
    args = struct.pack(">iII", 1, 0, 0) + vxi.xdr_opaque(b"inst0")
    return struct.unpack(">i", link.call(vxi.CREATE_LINK, args)[:4])[0]


def check_admission(s):
    idle = [connect(s.scpi) for _ in range(8)]
    time.sleep(GRACE + 0.2)
    newcomer = connect(s.scpi)
    if not ask(newcomer, "*IDN?").startswith("Zolvek,") or not closed(idle[0], 1):
        fail("the ninth SCPI client did not take the place of the client idle longest")
    if not all(closed(c, 3.5) for c in idle[1:]) or closed(newcomer, 0.05) or "idle for" not in "".join(s.said):
        fail("the 3 s idle time-out, or its notice:", "".join(s.said))
    hoarder = vxi.Link(HOST, s.core)
    hoarder.call(18, struct.pack(">iiI", hoarder.lid, 0, 0))  # device_lock
    if [create_link(hoarder) for _ in range(4)] != [0, 0, 0, 9]:
        fail("a connection took more than four links")
    others = [connect(s.core) for _ in range(15)]
    time.sleep(GRACE + 0.2)
    if vxi.Link(HOST, s.core).write("FREQ 2000")[0] != 0 or not closed(hoarder.sock, 1) or not others:
        fail("the idle lock holder kept its place")


def check_allow(s):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=tempfile.mkdtemp())
    for code, *options in ((1, "--remote=0", "--allow=10.0.0.0/33"), (2, "--allow=::1"),
                           (2, "--vxi11", "--idle-timeout=1s")):
        done = subprocess.run([ZOLVEK, *options], capture_output=True, text=True, timeout=20, env=env)
        if done.returncode != code:
            fail(f"{options} ended with {done.returncode}:", done.stderr)
    for port, server in ((s.scpi, "remote control"), (s.core, "VXI-11")):
        told = f"{server}: refused a connection from 127.0.0.2:"
        if not closed(connect(port, "127.0.0.2"), 0.5) or not wait_for(lambda: told in "".join(s.said), 1):
            fail(f"{server} served a client not allowed, or did not tell:", "".join(s.said))
    if not ask(connect(s.scpi), "*IDN?").startswith("Zolvek,") or vxi.Link(HOST, s.core).write("*CLS")[0]:
        fail("an allowed client was not served")


def check_output(s):
    deaf, other = connect(s.scpi), connect(s.scpi)
    try:
        deaf.sendall(b"*IDN?\n" * 100000)
        for _ in range(2):  # the second send learns of the reset
            time.sleep(0.6)
            deaf.send(b"*IDN?\n")
        fail("a client that never reads kept its place after 100000 queries")
    except socket.timeout:
        fail("the program stopped reading from a client that never reads, and kept it")
    except OSError:
        pass
    fragments, begun = connect(s.core), time.monotonic()
    try:
        while time.monotonic() - begun < 8:
            fragments.sendall(b"\0\0\0\0")  # an empty fragment, not the last
            time.sleep(0.02)
    except OSError:
        pass
    if not 5 <= time.monotonic() - begun < 6 or not ask(other, "*IDN?").startswith("Zolvek,"):
        fail(f"empty fragments held a record open for {time.monotonic() - begun:.1f} s, or the other client")


def check_loss(s):
    c, link = connect(s.scpi), vxi.Link(HOST, s.core)
    ask(c, SWEEP)
    s.sim.kill()
    if not wait_for(lambda: ask(c, "SYST:CONN?") == '"sim0",0', 5):
        fail("SYST:CONN? did not say offline")
    status = [int(ask(c, query)) for query in ("*STB?", "*ESR?")]
    link.write("SYST:ERR?")
    told = (link.read()[2].decode().strip(), ask(c, "SYST:ERR?"))
    if told != ('-300,"Device-specific error;generator lost on sim0"', '0,"No error"'):
        fail("the loss in the error queue, once:", told)
    if status[0] & 4 == 0 or status[1] & 8 == 0 or ask(c, "SWE:STAT OFF;:FREQ 2000;*OPC?") != "1":
        fail("the status byte, the event register or the demonstration after the loss:", status)


def check_small(s):
    c = connect(s.scpi)
    for end in ("\n", "\r\n"):
        if not ask(c, "*IDN?" + " " * 4091 + end).startswith("Zolvek,") or ask(c, "SYST:ERR?") != '0,"No error"':
            fail(f"a 4096-byte line ended by {end!r}")
    for i in range(1500):  # each closed with a reset, its input unread
        with connect((s.scpi, s.core)[i % 2]) as c:
            c.sendall((b"*IDN?\n" * 50, b"\x80\0\0\x28" + b"\0" * 40)[i % 2])
            c.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    if wait_for(lambda: any("QIODevice" in line for line in s.said), 0.5):
        fail("stray lines on standard error:", "".join(s.said))


def hostile(s, stop):
    """Eight on the raw socket: 3 idle, 2 trickling, 3 never reading; VXI-11: two hold all 8 links."""
    held, hoarders = [connect(s.scpi) for _ in range(5)], [vxi.Link(HOST, s.core) for _ in range(2)]
    [create_link(hoarder) for hoarder in hoarders for _ in range(3)]

    def flood():
        while not stop.is_set():
            try:
                with connect(s.scpi) as deaf:
                    while not stop.is_set():
                        deaf.sendall(b"*IDN?;*IDN?;*IDN?\n" * 100)
            except OSError:
                time.sleep(0.05)
    [threading.Thread(target=flood, daemon=True).start() for _ in range(3)]
    while not stop.wait(0.3):
        [trickle.sendall(b"F") for trickle in held[3:]]


def check_hostile(s):
    stop = threading.Event()
    try:
        ask(connect(s.scpi), SWEEP)
        mark = len(s.records())
        threading.Thread(target=hostile, args=(s, stop), daemon=True).start()
        time.sleep(GRACE + 1)
        begun = time.monotonic()
        inst = pyvisa.ResourceManager("@py").open_resource(f"TCPIP::{HOST}::{s.scpi}::SOCKET", timeout=3000,
                                                           read_termination="\n", write_termination="\n")
        inst.query("*IDN?")
        joined = time.monotonic() - begun
        stamps = [r["t_us"] for r in s.records()[mark:]]  # a command each tick of the sweep
        gap = max(b - a for a, b in zip(stamps, stamps[1:])) / 1000
        inst.query("SWE:STAT OFF;:OUTP ON;*OPC?")
        times = []
        for hertz in range(1000, 2000, 100):
            sent = time.monotonic()
            inst.query(f"FREQ {hertz};*OPC?")
            times.append((time.monotonic() - sent) * 1000)
            if not s.logged(lambda r: abs(r[-1]["freq_hz"] - hertz) <= 0.1, monotonic_us(), f"FREQ {hertz}"):
                fail(f"FREQ {hertz} never reached the generator")
        linked = (subprocess.run(["lxi", "scpi", "-a", HOST, "*IDN?"], capture_output=True, text=True).stdout
                  if s.portmapper else vxi.scope_request(HOST, "*IDN?", True, s.core)[2].decode())
        times.sort()
        print(f"joined in {joined * 1000:.0f} ms; FREQ f;*OPC? median {times[5]:.1f} ms, 9th of 10 {times[8]:.1f} ms; "
              f"tick's largest gap {gap:.1f} ms over {len(stamps)} commands; VXI-11 link: {linked.strip()}")
        if joined > GRACE or times[5] > 70 or times[8] > 100 or gap > 150 or not linked.startswith("Zolvek,"):
            fail("the well-behaved clients were held up")
    finally:
        stop.set()


OPTIONS = {"admission": ["--idle-timeout=3"], "allow": ["--allow=127.0.0.1,::1"]}

if __name__ == "__main__":
    for name in sys.argv[3:] or ("admission", "allow", "output", "loss", "small", "hostile"):
        session = start(*OPTIONS.get(name, []))
        try:
            globals()["check_" + name](session)
        except (OSError, AssertionError) as error:
            fail(f"{name}:", repr(error))
        finally:
            session.close()
        print(f"PASS: {name}")
