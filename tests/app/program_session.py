"""The virtual generator registered as sim0 and the program started beside it
with the given options, both offscreen in a private runtime directory; the
generator's decoded log for the checks. Shared by the remote-control tests
and the bridge's (headless: no display and no Qt platform in its
environment; the generator unplugged and plugged in again)."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time


def require_clients():
    """PyVISA's module; without PyVISA or lxi-tools the test is skipped (77)."""
    try:
        import pyvisa
    except ImportError:
        print("SKIP: python3-pyvisa-py is not installed")
        sys.exit(77)
    if shutil.which("lxi") is None:
        print("SKIP: lxi-tools is not installed")
        sys.exit(77)
    return pyvisa


def fail(step, detail=""):
    print(f"FAIL: {step} {detail}")
    sys.exit(1)


def wait_for(predicate, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.01)
    return predicate()


def monotonic_us():
    """The clock the generator stamps its log with (CLOCK_MONOTONIC)."""
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC) // 1000


class ProgramSession:
    def __init__(self, zolvek, sim, options, ready, sim_options=(), headless=False, runner=(),
                 extra_env=None):
        """Starts both; returns once the program's standard error has said a
        line containing `ready` (what it said is in self.said). runner goes
        before the program (an emulator)."""
        self.dir = tempfile.mkdtemp(prefix="zolvek-remote-")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.dir, **(extra_env or {}))
        if headless:
            for name in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"):
                self.env.pop(name, None)
        else:
            self.env["QT_QPA_PLATFORM"] = "offscreen"
        self.sim_path = sim
        self.log = os.path.join(self.dir, "sim.log")
        self.sim = None
        self.program = None
        self.plug(sim_options)
        self.program = subprocess.Popen([*runner, zolvek, *options], env=self.env,
                                        stderr=subprocess.PIPE, text=True)
        self.said = []
        self.said_at = []  # when each line came, on time.monotonic()
        self.lateness = []
        self.reader = threading.Thread(target=self._read_said, daemon=True)
        self.reader.start()
        self.wait_said(ready)

    def _read_said(self):
        for line in self.program.stderr:
            self.said_at.append(time.monotonic())
            self.said.append(line)

    def link(self):
        return os.path.join(self.dir, "zolvek-ports", "sim0")

    def plug(self, sim_options=()):
        """A generator on sim0 (again), logging to a new log from now on."""
        self.log = os.path.join(self.dir, f"sim{len(os.listdir(self.dir))}.log")
        self.sim = subprocess.Popen([self.sim_path, "--name", "sim0", "--log", self.log, *sim_options],
                                    env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(lambda: os.path.islink(self.link()), 5):
            self.close()
            fail("sim0 was not registered")

    def unplug(self):
        """The port removed, as when the cable is pulled: the link goes, the
        generator with it."""
        if os.path.lexists(self.link()):
            os.unlink(self.link())
        self.sim.kill()
        self.sim.wait(10)

    def wait_said(self, text, seconds=60):
        """Waits for the program to say a line containing text."""
        if not wait_for(lambda: any(text in line for line in self.said) or
                        self.program.poll() is not None, seconds):
            self.close()
            fail(f"the program did not say '{text}' in {seconds} s:", "".join(self.said))
        if not any(text in line for line in self.said):
            # The program has ended: its last lines may still be on their way.
            self.reader.join(5)
        if not any(text in line for line in self.said):
            self.close()
            fail(f"the program did not say '{text}':", "".join(self.said))

    def close(self):
        for process in (self.program, self.sim):
            if process is None:
                continue
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def records(self):
        """The log's whole lines: the generator may be writing the last one."""
        with open(self.log) as log:
            return [json.loads(line) for line in log if line.endswith("\n") and line.strip()]

    def kinds_from(self, mark):
        return [r["kind"] for r in self.records()[mark:]]

    def logged(self, predicate, answered_us, what="the answer"):
        """A command answered as written is on the line: the generator logs it
        as soon as it has read it, stamped on the same clock. Notes by how
        much the last logged command came after the answer (the generator's
        own reading delay, or an answer given too early). The log line may be
        written well after its stamp on a busy machine: it is waited for, and
        the stamp, not the wait, tells whether the answer came early."""
        if not wait_for(lambda: predicate(self.records()), 10):
            return False
        self.lateness.append((what, (self.records()[-1]["t_us"] - answered_us) / 1000))
        return True

    def tick_gaps(self, seconds):
        """The gaps between the tuning commands of a running sweep (one a
        tick) on the generator's clock over the next seconds, sorted, in ms."""
        mark = len(self.records())
        time.sleep(seconds)
        ticks = [r["t_us"] for r in self.records()[mark:] if r["kind"] in ("coarse", "fine")]
        return sorted((b - a) / 1000 for a, b in zip(ticks, ticks[1:])) or [0]

    def check_answers_on_time(self):
        """An answer given before its tick comes up to a tick (50 ms) ahead of
        its command, and so does every answer of such a program. A busy
        machine delivers a command written to the pseudo-terminal late now
        and then (the kernel moves its bytes on a worker thread): the answers
        are early when most of them are, their median 20 ms or more ahead."""
        times = sorted(ms for _, ms in self.lateness)
        if times and times[len(times) // 2] >= 20:
            early = [(what, ms) for what, ms in self.lateness if ms >= 20]
            fail(f"{len(early)} of {len(self.lateness)} answers came before their command was on the line:",
                 ", ".join(f"{what} {ms:.1f} ms" for what, ms in early[:5]))
