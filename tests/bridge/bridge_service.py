#!/usr/bin/python3
"""The service as the package installs it: systemd-analyze verifies the
unit (in a root of the staged package beside systemd's own targets) and
rates its exposure; then its ExecStart runs as systemd would start it (CI
has no running systemd): as the system user the package's sysusers file
makes, in dialout, with no new privileges and CAP_NET_BIND_SERVICE alone,
the options from /etc/default. With no rpcbind it serves port 111 itself.

Usage: bridge_service.py [--runner EMULATOR] BUILD_DIR ZOLVEK_SIM
Needs root in a network of its own (tests/support/own-network.sh): exit 77
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
import netns  # noqa: E402

RUNNER, (BUILD, SIM) = netns.split_runner(sys.argv[1:])
netns.require("systemd-analyze", "systemd-sysusers", "setpriv", "lxi")
PROMISES = {"User": "zolvek-bridge", "SupplementaryGroups": "dialout", "NoNewPrivileges": "yes",
            "AmbientCapabilities": "CAP_NET_BIND_SERVICE", "CapabilityBoundingSet": "CAP_NET_BIND_SERVICE",
            "Restart": "on-failure"}


def fail(*what):
    print("FAIL:", *what)
    sys.exit(1)


def analyze(stage, *args):
    return subprocess.run(["systemd-analyze", *args, f"--root={stage}", "zolvek-bridge@sim0.service"],
                          capture_output=True, text=True, env=dict(os.environ, PATH=netns.PATH))


def settings(path):
    with open(path) as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if re.match(r"^[A-Za-z_]+=", line))


def exec_start(stage, unit):
    """ExecStart as systemd expands it for the instance sim0: %I, then each
    $VARIABLE of the environment file split at blanks."""
    env = {k: shlex.split(v)[0] for k, v in settings(os.path.join(stage, "etc/default/zolvek-bridge")).items()}
    argv = []
    for word in shlex.split(unit["ExecStart"].replace("%I", "sim0")):
        argv += env.get(word[1:], "").split() if word.startswith("$") else [word]
    return [os.path.join(stage, argv[0].lstrip("/")), *argv[1:]]


def main():
    stage = tempfile.mkdtemp(prefix="zolvek-service-")
    processes = []
    try:
        subprocess.run(["cmake", "--install", BUILD, "--prefix", "/usr", "--component", "bridge"],
                       env=dict(os.environ, DESTDIR=stage), check=True, stdout=subprocess.DEVNULL)
        units = os.path.join(stage, "usr/lib/systemd/system")
        for target in (t for t in os.listdir("/lib/systemd/system") if t.endswith(".target")):
            shutil.copy(os.path.join("/lib/systemd/system", target), units)
        verified = analyze(stage, "verify", "--man=no")
        if verified.returncode != 0 or verified.stderr.strip():
            fail("systemd-analyze verify:", verified.stderr)
        rated = analyze(stage, "security", "--offline=yes", "--threshold=45")
        level = re.search(r"Overall exposure level for \S+: ([0-9.]+)", rated.stdout)
        if rated.returncode != 0 or not level:
            fail("systemd-analyze security rates the unit above 4.5:", rated.stdout[-400:])
        unit = settings(os.path.join(units, "zolvek-bridge@.service"))
        broken = {k: unit.get(k) for k, v in PROMISES.items() if unit.get(k) != v}
        if broken:
            fail("the unit does not keep its promises:", broken)

        subprocess.run(["systemd-sysusers", f"--root={stage}"], check=True, capture_output=True)
        user = next(l.split(":") for l in open(os.path.join(stage, "etc/passwd")) if l.startswith("zolvek-bridge:"))
        uid, gid = int(user[2]), int(user[3])
        if uid >= 1000 or not any(l.startswith("dialout:") and "zolvek-bridge" in l
                                  for l in open(os.path.join(stage, "etc/group"))):
            fail("not a system user in dialout:", user)
        runtime = os.path.join(stage, "runtime")
        os.makedirs(runtime)
        os.chown(runtime, uid, gid)
        os.chmod(stage, 0o755)
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
        as_user = ["setpriv", f"--reuid={uid}", f"--regid={gid}", f"--groups={grp.getgrnam('dialout').gr_gid}",
                   "--no-new-privs", "--inh-caps=-all,+net_bind_service",
                   "--ambient-caps=-all,+net_bind_service", "--bounding-set=-all,+net_bind_service", "--"]
        processes.append(subprocess.Popen([*as_user, SIM, "--name", "sim0", "--log", f"{runtime}/sim.log"],
                                          env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(0.5)
        bridge = subprocess.Popen([*as_user, *RUNNER, *exec_start(stage, unit)], env=env, cwd="/",
                                  stderr=subprocess.PIPE, text=True)
        processes.append(bridge)
        said = []
        while not any("connected to sim0" in line for line in said):
            said.append(bridge.stderr.readline())
            if not said[-1] or "will not find" in said[-1]:
                fail("the service's ExecStart:", "".join(said))
        status = open(f"/proc/{bridge.pid}/status").read()
        if not re.search(rf"^Uid:\s+{uid}\s", status, re.M) or "NoNewPrivs:\t1" not in status or \
                not re.search(r"^CapEff:\s+0+400$", status, re.M):
            fail("not its user, or other privileges than CAP_NET_BIND_SERVICE:", status)
        for raw in ([], ["-r", "-p", "5025"]):  # VXI-11 through port 111, and SCPI
            answer = subprocess.run(["lxi", "scpi", *raw, "-a", "127.0.0.1", "*IDN?"], capture_output=True,
                                    text=True).stdout
            if not answer.startswith("Zolvek,DDS-12M5,sim0,"):
                fail(f"lxi scpi {' '.join(raw)} *IDN?:", answer)
        bridge.terminate()
        if bridge.wait(10) != 0:
            fail("the bridge did not end cleanly on SIGTERM")
    finally:
        for process in processes:
            if process.poll() is None:
                process.terminate()
                process.wait(10)
        shutil.rmtree(stage, ignore_errors=True)
    print(f"PASS: the unit verifies (exposure {level.group(1)}); its ExecStart runs as zolvek-bridge in "
          "dialout with CAP_NET_BIND_SERVICE alone and serves port 111 itself")
    return 0


if __name__ == "__main__":
    sys.exit(main())
