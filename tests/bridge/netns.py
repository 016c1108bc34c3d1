"""Two network namespaces of a test's own (root only), joined by a veth pair
with a /24 no other machine has; each command in them runs with a /run
that the namespace keeps (a mount namespace), so that an rpcbind, a D-Bus
system bus or an avahi-daemon started there stays the test's. Processes
started are ended by their ids, the namespaces removed at the end."""
import os
import shutil
import subprocess
import sys
import tempfile

PATH = "/usr/sbin:/sbin:" + os.environ.get("PATH", "")


def split_runner(args):
    """[--runner WORD]... ARGS: the emulator (qemu-aarch64) to start the
    bridge with, and the rest."""
    runner = []
    while args and args[0] == "--runner":
        runner, args = runner + [args[1]], args[2:]
    return runner, args


def require(*tools, root=True):
    """Exit 77 (skip) without a tool, or without root where it is needed."""
    for tool in tools:
        if shutil.which(tool, path=PATH) is None:
            print(f"SKIP: {tool} is not installed")
            sys.exit(77)
    if root and (os.geteuid() != 0 or open("/proc/self/uid_map").read().split() != ["0", "0", "4294967295"]):
        print("SKIP: needs root outside a user namespace")
        sys.exit(77)


class Namespaces:
    def __init__(self):
        pid = os.getpid()
        self.names = [f"zolvek-{pid}-{i}" for i in range(2)]
        self.net = f"10.{200 + pid % 50}.{pid % 250}"
        self.run_dirs = [tempfile.mkdtemp(prefix="zolvek-run-") for _ in self.names]
        self.processes = []
        for name in self.names:
            subprocess.run(["ip", "netns", "add", name], check=True)
        subprocess.run(["ip", "link", "add", "zv0", "netns", self.names[0], "type", "veth", "peer",
                        "zv1", "netns", self.names[1]], check=True)
        for index, name in enumerate(self.names):
            for args in (["addr", "add", f"{self.address(index)}/24", "broadcast", f"{self.net}.255",
                          "dev", f"zv{index}"], ["link", "set", f"zv{index}", "up"], ["link", "set", "lo", "up"]):
                subprocess.run(["ip", "-n", name, *args], check=True)

    def address(self, index):
        return f"{self.net}.{index + 1}"

    def command(self, index, argv):
        script = 'mount --bind "$0" /run && mkdir -p /run/rpcbind /run/dbus && exec "$@"'
        return ["ip", "netns", "exec", self.names[index], "unshare", "--mount", "--propagation",
                "private", "sh", "-c", script, self.run_dirs[index], *argv]

    def start(self, index, argv, **kwargs):
        self.processes.append(subprocess.Popen(self.command(index, argv), **kwargs))
        return self.processes[-1]

    def run(self, index, argv):
        return subprocess.run(self.command(index, argv), capture_output=True, text=True, timeout=60)

    def stop(self, process):
        if process.poll() is None:
            process.terminate()
            process.wait(10)

    def close(self):
        for process in reversed(self.processes):
            self.stop(process)
        for name in self.names:
            subprocess.run(["ip", "netns", "delete", name], capture_output=True)
        for run in self.run_dirs:
            shutil.rmtree(run, ignore_errors=True)
