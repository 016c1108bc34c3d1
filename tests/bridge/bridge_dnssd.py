#!/usr/bin/python3
"""The bridge on DNS-SD, found by the real tools: a D-Bus system bus and an
avahi-daemon of the test's own in a network namespace whose only interface
is one end of a veth pair, which no other machine hears. avahi-browse -rpt resolves
_scpi-raw._tcp on the SCPI port, _vxi-11._tcp and _lxi._tcp on 111, each
with the LXI TXT entries; lxi discover --mdns lists them; once the bridge
has ended they are gone.

Usage: bridge_dnssd.py [--runner EMULATOR] BRIDGE ZOLVEK_SIM
Needs root: exit 77 without, or without avahi-daemon, avahi-browse,
dbus-daemon or lxi-tools."""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import netns  # noqa: E402

RUNNER, (BRIDGE, SIM) = netns.split_runner(sys.argv[1:])
netns.require_root("avahi-daemon", "avahi-browse", "dbus-daemon", "lxi")
TYPES = {"_scpi-raw._tcp": "5025", "_vxi-11._tcp": "111", "_lxi._tcp": "111"}
BUS = "unix:path=/run/dbus/system_bus_socket"  # inside the namespace's own /run
AVAHI_CONF = """[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=zv0
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
"""


def fail(*what):
    print("FAIL:", *what)
    sys.exit(1)


def browse(ns):
    """Resolved services of the bridge: type -> (port, TXT entries)."""
    found = {}
    for kind in TYPES:
        out = ns.run(0, ["env", f"DBUS_SYSTEM_BUS_ADDRESS={BUS}", "avahi-browse", "-rpt", kind]).stdout
        for line in out.splitlines():
            fields = line.split(";")
            # -p writes a name's blanks and dots as decimal escapes: \032.
            name = re.sub(r"\\(\d{3})", lambda m: chr(int(m.group(1))), fields[3]) if len(fields) > 3 else ""
            if fields[0] == "=" and name.startswith("Zolvek DDS-12M5 on "):
                found[kind] = (fields[8], fields[9])
    return found


def main():
    ns = netns.Namespaces(2)
    runtime = tempfile.mkdtemp(prefix="zolvek-dnssd-")
    conf = os.path.join(runtime, "avahi-daemon.conf")
    with open(conf, "w") as f:
        f.write(AVAHI_CONF)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, DBUS_SYSTEM_BUS_ADDRESS=BUS)
    sim = subprocess.Popen([SIM, "--name", "sim0", "--log", os.path.join(runtime, "sim.log")], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        ns.veth()
        ns.start(0, ["dbus-daemon", "--system", "--nofork", "--nopidfile"], stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        ns.start(0, ["avahi-daemon", "--no-drop-root", "--no-chroot", "--no-rlimits", "--no-proc-title",
                     "-f", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        bridge = ns.start(0, [*RUNNER, BRIDGE, "--port", "sim0", "--remote=0.0.0.0:5025", "--vxi11=0.0.0.0"],
                          env=env, stderr=subprocess.PIPE, text=True)
        said = []
        end = time.monotonic() + 30
        while time.monotonic() < end and not any("on DNS-SD as" in line for line in said):
            line = bridge.stderr.readline()
            if not line:
                break
            said.append(line)
        if not any("on DNS-SD as" in line for line in said):
            fail("the bridge did not say it is on DNS-SD:", "".join(said))

        found = {}
        for _ in range(20):
            found = browse(ns)
            if len(found) == len(TYPES):
                break
            time.sleep(0.5)
        for kind, port in TYPES.items():
            if kind not in found:
                fail(f"avahi-browse does not resolve {kind}:", found)
            got_port, txt = found[kind]
            if got_port != port:
                fail(f"{kind} on port {got_port}, not {port}")
            for entry in ('"txtvers=1"', '"Manufacturer=Zolvek"', '"Model=DDS-12M5"',
                          '"SerialNumber=sim0"', '"FirmwareVersion='):
                if entry not in txt:
                    fail(f"{kind} lacks the TXT entry {entry}:", txt)
        listed = ns.run(0, ["env", f"DBUS_SYSTEM_BUS_ADDRESS={BUS}", "lxi", "discover", "--mdns",
                            "-t", "3"]).stdout
        for service in ("lxi service on port 111", "vxi-11 service on port 111",
                        "scpi-raw service on port 5025"):
            if service not in listed:
                fail(f"lxi discover --mdns does not list '{service}':", listed)

        bridge.terminate()
        bridge.wait(10)
        gone = {}
        for _ in range(20):
            gone = browse(ns)
            if not gone:
                break
            time.sleep(0.5)
        if gone:
            fail("the services stay after the bridge has ended:", gone)
    finally:
        ns.close()
        sim.terminate()
        sim.wait(10)
    print(f"PASS: avahi-browse and lxi discover --mdns find the bridge's {len(TYPES)} services "
          "with the LXI TXT entries; they go with it")
    return 0


if __name__ == "__main__":
    sys.exit(main())
