#!/usr/bin/python3
"""The service as the package installs it: systemd-analyze verifies the
unit (in a root of the staged package beside systemd's own targets) and
rates its exposure; then its ExecStart runs as systemd would start it (CI
has no running systemd): as the system user that the package's sysusers
file makes, in dialout, with no new privileges and CAP_NET_BIND_SERVICE
alone, the options from /etc/default. With no rpcbind it serves port 111
itself, and lxi-tools and rpcinfo find it there.

Usage: bridge_service.py [--runner EMULATOR] BUILD_DIR ZOLVEK_SIM
Needs root and a network of its own (tests/support/own-network.sh): exit 77
without, or without systemd-analyze, setpriv or lxi-tools."""
import grp
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from netns import split_runner  # noqa: E402

RUNNER, (BUILD, SIM) = split_runner(sys.argv[1:])
PATH = "/usr/sbin:/sbin:" + os.environ.get("PATH", "")
for tool in ("systemd-analyze", "systemd-sysusers", "setpriv", "lxi", "rpcinfo"):
    if shutil.which(tool, path=PATH) is None:
        print(f"SKIP: {tool} is not installed")
        sys.exit(77)
if os.geteuid() != 0 or open("/proc/self/uid_map").read().split() != ["0", "0", "4294967295"]:
    print("SKIP: running the unit's user takes root outside a user namespace")
    sys.exit(77)
UNIT = "usr/lib/systemd/system/zolvek-bridge@.service"


def fail(*what):
    print("FAIL:", *what)
    sys.exit(1)


def run(*argv):
    return subprocess.run(argv, capture_output=True, text=True, timeout=60, env=dict(os.environ, PATH=PATH))


def stage_package(stage):
    subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr", "--component", "bridge"],
                   env=dict(os.environ, DESTDIR=stage), check=True, stdout=subprocess.DEVNULL)
    units = os.path.join(stage, "usr/lib/systemd/system")
    for target in os.listdir("/lib/systemd/system"):
        if target.endswith(".target"):
            shutil.copy(os.path.join("/lib/systemd/system", target), units)


def verify(stage):
    checked = run("systemd-analyze", "verify", "--man=no", f"--root={stage}", "zolvek-bridge@sim0.service")
    if checked.returncode != 0 or checked.stderr.strip():
        fail("systemd-analyze verify:", checked.stderr)
    rated = run("systemd-analyze", "security", "--offline=yes", f"--root={stage}", "--threshold=45",
                "zolvek-bridge@sim0.service")
    level = re.search(r"Overall exposure level for \S+: ([0-9.]+)", rated.stdout)
    if rated.returncode != 0 or not level:
        fail("systemd-analyze security rates the unit above 4.5:", rated.stdout[-400:])
    return level.group(1)


def unit_settings(stage):
    settings = {}
    with open(os.path.join(stage, UNIT)) as unit:
        for line in unit:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                settings[key] = value
    return settings


def exec_start(stage, settings, port):
    """ExecStart as systemd expands it for the instance: %I, then the
    environment file's $VARIABLE split at blanks."""
    env = {}
    with open(os.path.join(stage, "etc/default/zolvek-bridge")) as default:
        for line in default:
            if re.match(r"^[A-Z_]+=", line):
                key, value = line.rstrip("\n").split("=", 1)
                env[key] = shlex.split(value)[0] if value else ""
    argv = []
    for word in shlex.split(settings["ExecStart"].replace("%I", port)):
        argv += env.get(word[1:], "").split() if word.startswith("$") else [word]
    argv[0] = os.path.join(stage, argv[0].lstrip("/"))
    return argv


def main():
    stage = tempfile.mkdtemp(prefix="zolvek-service-")
    runtime = os.path.join(stage, "runtime")
    processes = []
    try:
        stage_package(stage)
        level = verify(stage)
        settings = unit_settings(stage)
        for key, value in (("User", "zolvek-bridge"), ("SupplementaryGroups", "dialout"),
                           ("NoNewPrivileges", "yes"), ("AmbientCapabilities", "CAP_NET_BIND_SERVICE"),
                           ("CapabilityBoundingSet", "CAP_NET_BIND_SERVICE"), ("Restart", "on-failure")):
            if settings.get(key) != value:
                fail(f"the unit's {key} is {settings.get(key)!r}, not {value!r}")
        run("systemd-sysusers", f"--root={stage}")
        user = next(line.split(":") for line in open(os.path.join(stage, "etc/passwd"))
                    if line.startswith("zolvek-bridge:"))
        members = next(line.strip().split(":")[3] for line in open(os.path.join(stage, "etc/group"))
                       if line.startswith("dialout:"))
        if "zolvek-bridge" not in members.split(","):
            fail("the sysusers file does not put the user in dialout")
        uid, gid = int(user[2]), int(user[3])
        if uid >= 1000:
            fail("not a system user:", user)
        dialout = grp.getgrnam("dialout").gr_gid
        os.makedirs(runtime)
        os.chown(runtime, uid, gid)
        os.chmod(stage, 0o755)
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
        as_user = ["setpriv", f"--reuid={uid}", f"--regid={gid}", f"--groups={dialout}",
                   "--no-new-privs", "--inh-caps=-all,+net_bind_service",
                   "--ambient-caps=-all,+net_bind_service", "--bounding-set=-all,+net_bind_service", "--"]
        processes.append(subprocess.Popen([*as_user, SIM, "--name", "sim0", "--log", os.path.join(runtime, "sim.log")],
                                          env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        end = time.monotonic() + 5
        while not os.path.islink(os.path.join(runtime, "zolvek-ports", "sim0")) and time.monotonic() < end:
            time.sleep(0.05)
        bridge = subprocess.Popen([*as_user, *RUNNER, *exec_start(stage, settings, "sim0")], env=env,
                                  stderr=subprocess.PIPE, text=True, cwd="/")
        processes.append(bridge)
        said = []
        while not any("connected to sim0" in line for line in said):
            line = bridge.stderr.readline()
            if not line:
                fail("the service's ExecStart ended:", "".join(said))
            said.append(line)
        if any("will not find" in line for line in said):
            fail("port 111 could not be bound with CAP_NET_BIND_SERVICE:", "".join(said))
        status = open(f"/proc/{bridge.pid}/status").read()
        if not re.search(rf"^Uid:\s+{uid}\s", status, re.M) or "NoNewPrivs:\t1" not in status:
            fail("the bridge does not run as its user with no new privileges:", status)
        if not re.search(r"^CapEff:\s+0+400$", status, re.M):
            fail("the bridge holds other capabilities than CAP_NET_BIND_SERVICE:", status)
        if "395183" not in run("rpcinfo", "-p", "127.0.0.1").stdout:
            fail("rpcinfo does not find VXI-11 on the bridge's own portmapper")
        identity = run("lxi", "scpi", "-a", "127.0.0.1", "*IDN?").stdout
        if not identity.startswith("Zolvek,DDS-12M5,sim0,"):
            fail("lxi *IDN? over VXI-11:", identity)
        raw = run("lxi", "scpi", "-r", "-a", "127.0.0.1", "-p", "5025", "*IDN?").stdout
        if not raw.startswith("Zolvek,DDS-12M5,sim0,"):
            fail("SCPI on port 5025 from the default options:", raw)
        bridge.terminate()
        if bridge.wait(10) != 0:
            fail("the bridge did not end cleanly on SIGTERM")
    finally:
        for process in processes:
            if process.poll() is None:
                process.terminate()
                process.wait(10)
        shutil.rmtree(stage, ignore_errors=True)
    print(f"PASS: the unit verifies (exposure {level}); its ExecStart runs as zolvek-bridge in dialout "
          "with CAP_NET_BIND_SERVICE alone and serves port 111 itself")
    return 0


if __name__ == "__main__":
    sys.exit(main())
