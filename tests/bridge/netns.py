"""Network namespaces of a test's own (root only): named after the test's
process, wired by a veth pair, each command in
them run with a private /run (mount namespace) so that an rpcbind, a
D-Bus system bus and an avahi-daemon started there stay the test's. Every
process started is ended by its id, the namespaces removed at the end."""
import os
import shutil
import subprocess
import sys
import tempfile


def split_runner(args):
    """[--runner WORD]... ARGS: the emulator's command (qemu-aarch64) that
    goes before the bridge, and the rest."""
    runner = []
    while args and args[0] == "--runner":
        runner.append(args[1])
        args = args[2:]
    return runner, args


def require_root(*tools):
    """Exit 77 (skip) without root, network namespaces or a tool."""
    if os.geteuid() != 0:
        print("SKIP: network namespaces need root")
        sys.exit(77)
    path = "/usr/sbin:/sbin:" + os.environ.get("PATH", "")
    for tool in ("ip", "unshare", *tools):
        if shutil.which(tool, path=path) is None:
            print(f"SKIP: {tool} is not installed")
            sys.exit(77)
    probe = f"zolvek-probe-{os.getpid()}"
    if subprocess.run(["ip", "netns", "add", probe], capture_output=True).returncode != 0:
        print("SKIP: ip netns add is not allowed here")
        sys.exit(77)
    subprocess.run(["ip", "netns", "delete", probe])


class Namespaces:
    def __init__(self, count):
        self.names = [f"zolvek-{os.getpid()}-{i}" for i in range(count)]
        self.processes = []
        # An address block of this test's own, out of the way of the machine's.
        self.net = f"10.{200 + os.getpid() % 50}.{os.getpid() % 250}"
        self.run_dirs = []
        for name in self.names:
            self.ip("netns", "add", name)
            self.ip("-n", name, "link", "set", "lo", "up")

    def ip(self, *args):
        subprocess.run(["ip", *args], check=True)

    def address(self, index):
        return f"{self.net}.{index + 1}"

    def veth(self):
        """A veth pair between the first two, with a /24 of their own."""
        a, b = self.names[0], self.names[1]
        self.ip("link", "add", "zv0", "netns", a, "type", "veth", "peer", "zv1", "netns", b)
        for name, link, index in ((a, "zv0", 0), (b, "zv1", 1)):
            self.ip("-n", name, "addr", "add", f"{self.address(index)}/24", "broadcast",
                    f"{self.net}.255", "dev", link)
            self.ip("-n", name, "link", "set", link, "up")

    def command(self, index, argv):
        """argv inside namespace index, with the /run that namespace keeps."""
        while len(self.run_dirs) <= index:
            self.run_dirs.append(tempfile.mkdtemp(prefix="zolvek-run-"))
        run = self.run_dirs[index]
        script = 'mount --bind "$0" /run && mkdir -p /run/rpcbind /run/dbus && exec "$@"'
        return ["ip", "netns", "exec", self.names[index], "unshare", "--mount",
                "--propagation", "private", "sh", "-c", script, run, *argv]

    def start(self, index, argv, **kwargs):
        process = subprocess.Popen(self.command(index, argv), **kwargs)
        self.processes.append(process)
        return process

    def run(self, index, argv, timeout=30):
        return subprocess.run(self.command(index, argv), capture_output=True, text=True,
                              timeout=timeout)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        for name in self.names:
            subprocess.run(["ip", "netns", "delete", name], capture_output=True)
        for run in self.run_dirs:
            shutil.rmtree(run, ignore_errors=True)
