#!/usr/bin/python3
"""The bridge found on the network by the real tools, across a veth pair
between two network namespaces (a broadcast needs a real interface; the
loopback has none):
- lxi discover (a UDP broadcast of a portmapper GETPORT, then *IDN? over
  VXI-11) from the other namespace, with the bridge's own portmapper on
  port 111 and with the bridge registered with an rpcbind that holds it;
- DNS-SD through an avahi-daemon on a private system bus in the bridge's
  namespace: avahi-browse -rpt resolves _scpi-raw._tcp on the SCPI port,
  _vxi-11._tcp and _lxi._tcp on 111 with the LXI TXT entries, lxi discover
  --mdns lists them, and they are gone once the bridge has ended.

Usage: bridge_discovery.py [--runner EMULATOR] BRIDGE ZOLVEK_SIM
Needs root: exit 77 without, or without one of the tools."""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import netns  # noqa: E402

RUNNER, (BRIDGE, SIM) = netns.split_runner(sys.argv[1:])
netns.require("ip", "unshare", "lxi", "rpcinfo", "rpcbind", "avahi-daemon", "avahi-browse", "dbus-daemon")
IDENTITY = "Zolvek,DDS-12M5,sim0,"
TYPES = {"_scpi-raw._tcp": "5025", "_vxi-11._tcp": "111", "_lxi._tcp": "111"}
BUS = "DBUS_SYSTEM_BUS_ADDRESS=unix:path=/run/dbus/system_bus_socket"  # the namespace's own /run
AVAHI = "[server]\nuse-ipv6=no\nallow-interfaces=zv0\n[publish]\npublish-workstation=no\n"


def fail(*what):
    print("FAIL:", *what)
    sys.exit(1)


def start_bridge(ns, env, *options):
    bridge = ns.start(0, [*RUNNER, BRIDGE, "--port", "sim0", *options], env=env,
                      stderr=subprocess.PIPE, text=True)
    said = []
    while not any("connected to sim0" in line for line in said):
        said.append(bridge.stderr.readline())
        if not said[-1]:
            fail("the bridge ended:", "".join(said))
    return bridge, said


def lxi_discover(ns, with_rpcbind):
    for _ in range(5):  # the first broadcast may go before the link is up
        found = ns.run(1, ["lxi", "discover", "-t", "2"]).stdout
        if IDENTITY in found:
            break
    if found.count(IDENTITY) != 1 or ns.address(0) not in found:
        fail("lxi discover does not list the bridge once:", found)
    listed = ns.run(1, ["rpcinfo", "-p", ns.address(0)]).stdout
    # rpcbind answers versions 3 and 4 of the portmapper too; the bridge's own only 2.
    if "395183" not in listed or with_rpcbind != bool(re.search(r"^\s*100000\s+4\s", listed, re.M)):
        fail("not the portmapper expected, or no VXI-11 in it:", listed)
    return next(line.strip() for line in found.splitlines() if IDENTITY in line)


def browse(ns):
    """The bridge's resolved services: type -> (port, TXT)."""
    found = {}
    for kind in TYPES:
        for line in ns.run(0, ["env", BUS, "avahi-browse", "-rpt", kind]).stdout.splitlines():
            f = line.split(";")
            # -p writes a name's blanks as decimal escapes: \032.
            if f[0] == "=" and re.sub(r"\\(\d{3})", lambda m: chr(int(m.group(1))), f[3]).startswith(
                    "Zolvek DDS-12M5 on "):
                found[kind] = (f[8], f[9])
    return found


def dns_sd(ns, env, runtime):
    conf = os.path.join(runtime, "avahi-daemon.conf")
    with open(conf, "w") as f:
        f.write(AVAHI)
    ns.start(0, ["dbus-daemon", "--system", "--nofork", "--nopidfile"], stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    ns.start(0, ["avahi-daemon", "--no-drop-root", "--no-chroot", "--no-rlimits", "-f", conf],
             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bridge, _ = start_bridge(ns, dict(env, DBUS_SYSTEM_BUS_ADDRESS=BUS.split("=", 1)[1]),
                             "--remote=0.0.0.0:5025", "--vxi11=0.0.0.0")
    found = {}
    for _ in range(20):
        found = browse(ns)
        if len(found) == len(TYPES) and all("SerialNumber=sim0" in txt for _, txt in found.values()):
            break
        time.sleep(0.5)
    for kind, port in TYPES.items():
        txt = found.get(kind, ("", ""))[1]
        wanted = ('"txtvers=1"', '"Manufacturer=Zolvek"', '"Model=DDS-12M5"', '"SerialNumber=sim0"',
                  '"FirmwareVersion=')
        if found.get(kind, ("",))[0] != port or not all(entry in txt for entry in wanted):
            fail(f"avahi-browse does not resolve {kind} on {port} with the LXI TXT entries:", found)
    listed = ns.run(0, ["env", BUS, "lxi", "discover", "--mdns", "-t", "3"]).stdout
    for service in ("lxi service on port 111", "vxi-11 service on port 111", "scpi-raw service on port 5025"):
        if service not in listed:
            fail(f"lxi discover --mdns does not list '{service}':", listed)
    ns.stop(bridge)
    for _ in range(20):
        if not browse(ns):
            return
        time.sleep(0.5)
    fail("the services stay after the bridge has ended:", browse(ns))


def main():
    ns = netns.Namespaces()
    runtime = tempfile.mkdtemp(prefix="zolvek-discovery-")
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    sim = subprocess.Popen([SIM, "--name", "sim0", "--log", os.path.join(runtime, "sim.log")], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for with_rpcbind in (False, True):
            rpcbind = ns.start(0, ["rpcbind", "-f", "-w"]) if with_rpcbind else None
            time.sleep(0.5 if rpcbind else 0)
            bridge, _ = start_bridge(ns, env, "--vxi11=0.0.0.0")
            found = lxi_discover(ns, with_rpcbind)
            print(f"lxi discover ({'with rpcbind' if with_rpcbind else 'own portmapper'}): {found}")
            ns.stop(bridge)
            if rpcbind:
                ns.stop(rpcbind)
        dns_sd(ns, env, runtime)
    finally:
        ns.close()
        sim.terminate()
        sim.wait(10)
    print("PASS: lxi discover finds the bridge across a veth pair with its own portmapper and with "
          "rpcbind; avahi-browse and lxi discover --mdns find its 3 services, gone when it ends")
    return 0


if __name__ == "__main__":
    sys.exit(main())
