#!/usr/bin/python3
"""lxi discover finds the bridge across a veth pair between two network
namespaces (a broadcast needs a real interface: the loopback has none), as
an LXI client on the lab's network does: the UDP broadcast of a portmapper
GETPORT, then *IDN? over VXI-11. Once with the bridge's own portmapper on
port 111, once with the bridge registered with an rpcbind that holds 111.

Usage: bridge_discovery.py [--runner EMULATOR] BRIDGE ZOLVEK_SIM
Needs root for the namespaces: exit 77 without, or without lxi-tools or
rpcbind."""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import netns  # noqa: E402

RUNNER, (BRIDGE, SIM) = netns.split_runner(sys.argv[1:])
netns.require_root("lxi", "rpcbind", "rpcinfo")


def wait_line(process, text, seconds=20):
    end = time.monotonic() + seconds
    said = []
    while time.monotonic() < end:
        line = process.stderr.readline()
        if not line:
            break
        said.append(line)
        if text in line:
            return said
    print(f"FAIL: the bridge did not say '{text}':", "".join(said))
    sys.exit(1)


def discover(ns, expected_address):
    """lxi discover from the other namespace lists the bridge, once."""
    found = ""
    for _ in range(5):  # the first broadcast may go before the link is ready
        found = ns.run(1, ["lxi", "discover", "-t", "2"]).stdout
        if "Zolvek,DDS-12M5,sim0" in found:
            break
    if expected_address not in found or found.count("Zolvek,DDS-12M5,sim0") != 1:
        print("FAIL: lxi discover does not list the bridge once:", found)
        sys.exit(1)
    return found


def case(ns, env, with_rpcbind):
    rpcbind = None
    if with_rpcbind:
        rpcbind = ns.start(0, ["rpcbind", "-f", "-w"])
        time.sleep(0.5)
    bridge = ns.start(0, [*RUNNER, BRIDGE, "--port", "sim0", "--vxi11=0.0.0.0"], env=env,
                      stderr=subprocess.PIPE, text=True)
    said = wait_line(bridge, "VXI-11 instrument on")
    said += wait_line(bridge, "connected to sim0")
    found = discover(ns, ns.address(0))
    listed = ns.run(1, ["rpcinfo", "-p", ns.address(0)]).stdout
    if "395183" not in listed:
        print("FAIL: rpcinfo does not list VXI-11's core program:", listed)
        sys.exit(1)
    # rpcbind answers versions 3 and 4 of the portmapper too; the bridge's own only 2.
    if with_rpcbind != bool(re.search(r"^\s*100000\s+4\s", listed, re.M)):
        print("FAIL: the portmapper that answers is not the one expected:", listed)
        sys.exit(1)
    for process in (bridge, rpcbind):
        if process is not None:
            process.terminate()
            process.wait(10)
    kind = "registered with rpcbind" if with_rpcbind else "its own portmapper"
    device = next(line for line in found.splitlines() if "Zolvek" in line)
    print(f"lxi discover ({kind}): {device.strip()}")


def main():
    ns = netns.Namespaces(2)
    runtime = tempfile.mkdtemp(prefix="zolvek-discovery-")
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    sim = subprocess.Popen([SIM, "--name", "sim0", "--log", os.path.join(runtime, "sim.log")], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        ns.veth()
        case(ns, env, with_rpcbind=False)
        case(ns, env, with_rpcbind=True)
    finally:
        ns.close()
        sim.terminate()
        sim.wait(10)
    print("PASS: lxi discover lists the bridge across a veth pair, with its own portmapper and with rpcbind")
    return 0


if __name__ == "__main__":
    sys.exit(main())
