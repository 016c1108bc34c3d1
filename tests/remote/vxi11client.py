"""A minimal VXI-11 client on plain sockets, as an oscilloscope drives a
generator: ask the portmapper for the core port, connect, create_link,
device_write (and device_read), destroy_link, close. Used by the real-client
test and by the Bode benchmark; it also helps poke a running program by hand.
"""

import math
import queue
import random
import socket
import struct
import subprocess
import threading
import time

CORE = 0x0607AF
PORTMAPPER = 100000
CREATE_LINK, DEVICE_WRITE, DEVICE_READ, DESTROY_LINK = 10, 11, 12, 23
END = 0x08
REASON_END = 4


def xdr_opaque(data):
    return struct.pack(">I", len(data)) + data + b"\0" * (-len(data) % 4)


def call_message(xid, prog, vers, proc, args=b""):
    return struct.pack(">10I", xid, 0, 2, prog, vers, proc, 0, 0, 0, 0) + args


def parse_reply(message):
    """(xid, accept_stat, results) of an accepted reply."""
    xid, kind, status = struct.unpack(">3I", message[:12])
    assert kind == 1 and status == 0, "not an accepted reply"
    _flavor, length = struct.unpack(">2I", message[12:20])
    offset = 20 + length + (-length % 4)
    (accept,) = struct.unpack(">I", message[offset:offset + 4])
    return xid, accept, message[offset + 4:]


def record(message):
    return struct.pack(">I", 0x80000000 | len(message)) + message


def read_record(sock):
    data = b""
    while True:
        (marker,) = struct.unpack(">I", recv_exactly(sock, 4))
        data += recv_exactly(sock, marker & 0x7FFFFFFF)
        if marker & 0x80000000:
            return data


def recv_exactly(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise ConnectionError("connection closed")
        data += chunk
    return data


def getport(host, udp=False, timeout=3.0, port=111):
    """The core channel's port from the portmapper (GETPORT v2)."""
    message = call_message(random.getrandbits(32), PORTMAPPER, 2, 3, struct.pack(">4I", CORE, 1, 6, 0))
    if udp:
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
            sock.settimeout(timeout)
            sock.sendto(message, (host, port))
            reply, _ = sock.recvfrom(512)
    else:
        with socket.create_connection((host, port), timeout=timeout) as sock:
            sock.sendall(record(message))
            reply = read_record(sock)
    _xid, accept, results = parse_reply(reply)
    assert accept == 0
    return struct.unpack(">I", results[:4])[0]


class Link:
    """One connection with one link to inst0."""

    def __init__(self, host, port, timeout=5.0, io_timeout=2000):
        self.sock = socket.create_connection((host, port), timeout=timeout)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.io_timeout = io_timeout
        self.xid = random.getrandbits(31)
        error, self.lid, _abort, self.max_recv = struct.unpack(
            ">iiII", self.call(CREATE_LINK, struct.pack(">iII", random.getrandbits(31), 0, 10000) + xdr_opaque(b"inst0")))
        assert error == 0, f"create_link error {error}"

    def call(self, proc, args, prog=CORE, vers=1):
        self.xid = (self.xid + 1) & 0xFFFFFFFF
        self.sock.sendall(record(call_message(self.xid, prog, vers, proc, args)))
        xid, accept, results = parse_reply(read_record(self.sock))
        assert xid == self.xid and accept == 0, f"accept_stat {accept}"
        return results

    def write(self, text, flags=END):
        data = text.encode()
        results = self.call(DEVICE_WRITE, struct.pack(">iIIi", self.lid, self.io_timeout, 0, flags) + xdr_opaque(data))
        return struct.unpack(">iI", results[:8])

    def read(self, size=4096):
        """(error, reason, data)."""
        results = self.call(DEVICE_READ, struct.pack(">iIIIii", self.lid, size, self.io_timeout, 0, 0, 0))
        error, reason, length = struct.unpack(">iiI", results[:12])
        return error, reason, results[12:12 + length]

    def close(self):
        error = struct.unpack(">i", self.call(DESTROY_LINK, struct.pack(">i", self.lid))[:4])[0]
        self.sock.close()
        return error


def scope_request(host, text, read=False, core_port=None, udp=False):
    """One request as a Siglent scope makes it, on a fresh connection:
    (seconds from write to its reply, the write's error, the read's data)."""
    port = core_port or getport(host, udp=udp)
    link = Link(host, port)
    start = time.perf_counter()
    error, size = link.write(text)
    written = time.perf_counter() - start
    assert size == len(text.encode()) or error, f"size {size}"
    data = link.read()[2] if read else None
    link.close()
    return written, error, data


def bode_frequencies(start=10.0, stop=50000.0, steps=100):
    """The scope's log-spaced points as it formats them (9 significant
    digits), the first sent twice."""
    ratio = 10 ** (math.log10(stop / start) / steps)
    points = ["%.9g" % (start * ratio ** k) for k in range(steps + 1)]
    points[-1] = "%.9g" % stop
    return [points[0]] + points


def bode_session(host, core_port=None, udp=False, on_point=None):
    """The recorded SDS1004X-E run: identity, set-up line, BSWV?, the 101
    points, output off. Answers the per-point write times in seconds."""
    _, _, identity = scope_request(host, "IDN-SGLT-PRI?", read=True, core_port=core_port, udp=udp)
    assert identity.startswith(b"IDN-SGLT-PRI SDG"), identity
    setup = "C1:OUTP LOAD,50;BSWV WVTP,SINE,PHSE,0,FRQ,50000,AMP,2.1,OFST,0;OUTP ON"
    scope_request(host, setup, core_port=core_port, udp=udp)
    scope_request(host, "C1:BSWV?", read=True, core_port=core_port, udp=udp)
    times = []
    for point in bode_frequencies():
        written, error, _ = scope_request(host, "C1:BSWV FRQ," + point, core_port=core_port, udp=udp)
        assert error == 0, f"write error {error} at {point}"
        times.append(written)
        if on_point:
            on_point(float(point))
    scope_request(host, "C1:OUTP OFF", core_port=core_port, udp=udp)
    return times


class FakeServer:
    """The test program serving the fake generator; its standard output is
    the decoded log."""

    def __init__(self, path, *args):
        self.process = subprocess.Popen([path, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        ready = self.process.stdout.readline().split()
        if not ready or ready[0] != "ready":
            raise RuntimeError("the fake server did not start: " + self.stop())
        fields = dict(f.split("=", 1) for f in ready[1:])
        self.finding = fields["finding"]
        self.core_ports = [int(p) for p in fields["core"].split(",")]
        self.raw_port = int(fields["raw"])
        threading.Thread(target=self._read_log, daemon=True).start()

    def _read_log(self):
        for line in self.process.stdout:
            self.lines.put(line)

    def next_written(self, timeout=5.0):
        """The next decoded log line as a dict."""
        line = self.lines.get(timeout=timeout)
        assert line.startswith("written "), line
        return dict(f.split("=", 1) for f in line.split()[1:])

    def stop(self, kill=False):
        if self.process.poll() is None:
            (self.process.kill if kill else self.process.terminate)()
        self.process.wait(10)
        errors = self.process.stderr.read()
        self.process.stdout.close()
        self.process.stderr.close()
        return errors
