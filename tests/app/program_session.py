"""The virtual generator registered as sim0 and the program started beside it
with the given options, both offscreen in a private runtime directory; the
generator's decoded log for the checks. Shared by the remote-control tests."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
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
    def __init__(self, zolvek, sim, options, ready):
        """Starts both; returns once the program's standard error has said a
        line containing `ready` (what it said is in self.said)."""
        self.dir = tempfile.mkdtemp(prefix="zolvek-remote-")
        env = dict(os.environ, XDG_RUNTIME_DIR=self.dir, QT_QPA_PLATFORM="offscreen")
        self.log = os.path.join(self.dir, "sim.log")
        self.sim = subprocess.Popen([sim, "--name", "sim0", "--log", self.log], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.program = None
        if not wait_for(lambda: os.path.islink(os.path.join(self.dir, "zolvek-ports", "sim0")), 5):
            self.close()
            fail("sim0 was not registered")
        self.program = subprocess.Popen([zolvek, *options], env=env, stderr=subprocess.PIPE, text=True)
        self.said = []
        self.lateness = []
        while not self.said or ready not in self.said[-1]:
            line = self.program.stderr.readline()
            if not line:
                self.close()
                fail("the program ended:", "".join(self.said))
            self.said.append(line)

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
        with open(self.log) as log:
            return [json.loads(line) for line in log if line.strip()]

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
