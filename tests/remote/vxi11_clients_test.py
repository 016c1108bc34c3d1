#!/usr/bin/python3
"""VXI-11 with real clients against the fake generator's test program:
lxi-tools, PyVISA and rpcinfo, through the program's own portmapper or
through rpcbind, and the replay of a Siglent oscilloscope's Bode session
checked point by point on the generator's decoded log.

    /usr/bin/python3 vxi11_clients_test.py SERVER [OwnPortmapperTest|RpcbindTest|StoppedRpcbindTest]

All need port 111: run as root (CI does). OwnPortmapperTest skips where
something else holds port 111; RpcbindTest starts rpcbind when none runs
(and stops it after, also when the server fails to start), and skips where
it cannot; StoppedRpcbindTest stops the rpcbind it started, so it skips
where one of the machine's runs.
"""

import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import vxi11client as vxi  # noqa: E402

SERVER = None
HOST = "127.0.0.1"
IDENTITY = "Zolvek,DDS-12M5,none,"
GRID = 25e6 / 2 ** 28


def port_in_use(port, kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as sock:
        try:
            sock.bind((HOST, port))
            return False
        except OSError:
            return True


def run(*command, timeout=20):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout)


def rpcinfo_core_ports():
    listing = run("rpcinfo", "-p", HOST).stdout
    return [int(m.group(1)) for m in re.finditer(r"^\s*395183\s+1\s+tcp\s+(\d+)", listing, re.M)]


class ClientChecks:
    """What every way of finding the port must give the real clients."""

    def test_lxi_finds_the_instrument(self):
        result = run("lxi", "scpi", "-a", HOST, "*IDN?")
        self.assertTrue(result.stdout.startswith(IDENTITY), result.stdout + result.stderr)

    def test_pyvisa_finds_the_instrument(self):
        import pyvisa
        manager = pyvisa.ResourceManager("@py")
        # Debian's pyvisa-py 0.5 has no TCPIP::host,port::INSTR form: it
        # always asks the portmapper.
        instrument = manager.open_resource("TCPIP::127.0.0.1::INSTR")
        self.assertTrue(instrument.query("*IDN?").startswith(IDENTITY))
        instrument.write("FREQ 2 KHZ")
        self.assertEqual(instrument.query("SYST:ERR?").strip(), '0,"No error"')
        instrument.close()
        self.assertAlmostEqual(float(self.server.next_written()["frequency"]), 2000, delta=GRID)

    def test_rpcinfo_lists_the_core_program(self):
        ports = rpcinfo_core_ports()
        self.assertEqual(len(ports), 1, ports)
        self.assertIn(ports[0], self.server.core_ports)


class OwnPortmapperTest(ClientChecks, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if os.geteuid() != 0:
            raise unittest.SkipTest("binding port 111 needs root")
        if port_in_use(111) or port_in_use(111, socket.SOCK_DGRAM):
            raise unittest.SkipTest("port 111 is held (an rpcbind runs): the program's own portmapper cannot serve")
        cls.server = vxi.FakeServer(SERVER, "--no-rpcbind", "--core-port", "0", "--raw", "0")
        assert cls.server.finding == "portmapper", cls.server.finding

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def test_lxi_raw_socket_too(self):
        result = run("lxi", "scpi", "-a", HOST, "-r", "-p", str(self.server.raw_port), "*IDN?")
        self.assertTrue(result.stdout.startswith(IDENTITY), result.stdout + result.stderr)

    def test_scope_over_udp_getport(self):
        _, error, identity = vxi.scope_request(HOST, "IDN-SGLT-PRI?", read=True, udp=True)
        self.assertEqual(error, 0)
        self.assertTrue(identity.startswith(b"IDN-SGLT-PRI SDG"))

    def test_bode_session_replayed_point_by_point(self):
        written = {}

        def check(point):
            if not written:  # the set-up line's change comes first
                while abs(float(written.get("frequency", "inf")) - point) > GRID:
                    written.update(self.server.next_written())
            elif abs(float(written["frequency"]) - point) > GRID:
                written.update(self.server.next_written())
            self.assertLessEqual(abs(float(written["frequency"]) - point), GRID, point)
            self.assertEqual((written["run"], written["function"]), ("1", "sine"))

        times = vxi.bode_session(HOST, on_point=check)
        self.assertEqual(len(times), 102)
        self.assertEqual(self.server.next_written()["run"], "0", "OUTP OFF reached the generator")


def start_rpcbind(test_class):
    """An rpcbind of the test's own when none runs (ended by the class's
    cleanup, also when its set-up fails later); None when one runs."""
    if rpcinfo_running():
        return None
    if os.geteuid() != 0 or not shutil.which("rpcbind", path="/usr/sbin:/sbin:/usr/bin"):
        raise unittest.SkipTest("no rpcbind runs and this user cannot start one")
    if port_in_use(111):
        raise unittest.SkipTest("port 111 is held by something other than rpcbind")
    rpcbind = subprocess.Popen([shutil.which("rpcbind", path="/usr/sbin:/sbin:/usr/bin"), "-f"])

    def stop():
        rpcbind.send_signal(signal.SIGCONT)  # a test may have stopped it
        rpcbind.terminate()
        rpcbind.wait(10)
    test_class.addClassCleanup(stop)
    deadline = time.monotonic() + 5
    while not rpcinfo_running():
        if time.monotonic() > deadline:
            raise unittest.SkipTest("rpcbind did not start")
        time.sleep(0.05)
    return rpcbind


class RpcbindTest(ClientChecks, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        start_rpcbind(cls)
        cls.server = vxi.FakeServer(SERVER, "--core-port", "0")
        cls.addClassCleanup(lambda: cls.server.stop())
        assert cls.server.finding == "rpcbind", cls.server.finding

    def test_registration_goes_at_exit_and_a_stale_one_is_replaced(self):
        self.assertEqual(rpcinfo_core_ports(), [self.server.core_ports[0]])
        crashed = vxi.FakeServer(SERVER, "--core-port", "0")  # replaces the first one's entry
        self.assertEqual(rpcinfo_core_ports(), [crashed.core_ports[0]])
        crashed.stop(kill=True)
        self.assertEqual(rpcinfo_core_ports(), [crashed.core_ports[0]], "a crash leaves its entry")
        again = vxi.FakeServer(SERVER, "--core-port", "0")
        self.assertEqual(rpcinfo_core_ports(), [again.core_ports[0]])
        self.assertTrue(run("lxi", "scpi", "-a", HOST, "*IDN?").stdout.startswith(IDENTITY))
        again.stop()
        self.assertEqual(rpcinfo_core_ports(), [], "unregistered at exit")
        type(self).server.stop()
        type(self).server = vxi.FakeServer(SERVER, "--core-port", "0")


class StoppedRpcbindTest(unittest.TestCase):
    """An rpcbind that takes connections and answers nothing (a stopped
    process) holds neither the start nor the end of the program for long:
    libtirpc alone would wait a minute for each call."""

    @classmethod
    def setUpClass(cls):
        cls.rpcbind = start_rpcbind(cls)
        if cls.rpcbind is None:
            raise unittest.SkipTest("an rpcbind of the machine's runs: it is not this test's to stop")

    def timed_start(self):
        begun = time.monotonic()
        server = vxi.FakeServer(SERVER, "--core-port", "0", "--raw", "0")
        return server, time.monotonic() - begun

    def test_start_goes_on_without_the_registration(self):
        self.rpcbind.send_signal(signal.SIGSTOP)
        try:
            server, took = self.timed_start()
            try:
                self.assertLess(took, 15, "the registration's wait is bounded")
                self.assertEqual(server.finding, "none", "port 111 is the stopped rpcbind's")
                result = run("lxi", "scpi", "-a", HOST, "-r", "-p", str(server.raw_port), "*IDN?")
                self.assertTrue(result.stdout.startswith(IDENTITY), result.stdout + result.stderr)
            finally:
                server.stop()
        finally:
            self.rpcbind.send_signal(signal.SIGCONT)

    def test_exit_goes_on_without_the_unregistration(self):
        server, _ = self.timed_start()
        self.assertEqual(server.finding, "rpcbind")
        self.rpcbind.send_signal(signal.SIGSTOP)
        try:
            begun = time.monotonic()
            server.stop()
            self.assertLess(time.monotonic() - begun, 8, "the unregistration's wait is bounded")
        finally:
            self.rpcbind.send_signal(signal.SIGCONT)


def rpcinfo_running():
    return run("rpcinfo", "-p", HOST).returncode == 0


if __name__ == "__main__":
    SERVER = sys.argv.pop(1)
    unittest.main()
