#!/usr/bin/python3
"""Records what real clients send into the fuzz targets' seeds: runs the
end-to-end tests that drive lxi-tools, PyVISA, rpcinfo and a replayed
oscilloscope Bode session against the fake generator's VXI-11 server and
the program (and the program against the virtual generator), each server
under strace, cuts what each read from its sockets, its serial line and
its command line into inputs of the targets, and minimises them into
tests/fuzz/TARGET/seeds with libFuzzer's -merge=1.

    record-seeds.py RELEASE_BUILD FUZZ_BUILD

Needs root (the tests take port 111 in a network of their own) and strace.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
CORE_PORT = 9010
CALL = re.compile(r'^(\d+) +(read|write|recvmsg)\((\d+)<(.*?)>, (.*)\) = (\d+)$')
BYTES = re.compile(r'"((?:\\x[0-9a-f]{2})*)"')


def traced(program, trace_dir):
    """A wrapper that runs the program under strace, its trace and its
    arguments kept in trace_dir."""
    wrapper = os.path.join(trace_dir, os.path.basename(program))
    with open(wrapper, "w") as out:
        # A signal for the server reaches the program strace runs.
        out.write('#!/bin/sh\nprintf "%%s\\0" "$@" > "%s/args.$$"\n'
                  'strace -f -qq -xx -s 200000 -yy -e trace=read,write,recvmsg '
                  '-o "%s/trace.$$" "%s" "$@" &\n'
                  'tracer=$!\n'
                  "trap 'pkill -TERM -P $tracer' TERM INT\n"
                  'wait $tracer; wait $tracer\n' % (trace_dir, trace_dir, program))
    os.chmod(wrapper, 0o755)
    return wrapper


def events(trace):
    """(call, descriptor description, bytes) of every read and write."""
    with open(trace, errors="replace") as lines:
        for line in lines:
            match = CALL.match(line.strip())
            if not match or match.group(6) == "0":
                continue
            found = BYTES.search(match.group(5))
            where = match.group(4)
            path = re.match(r"((?:\\x[0-9a-f]{2})+)", where)
            if path:  # a path, in hexadecimal as the data
                where = bytes.fromhex(path.group(1).replace("\\x", "")).decode(errors="replace")
            if found:
                data = bytes.fromhex(found.group(1).replace("\\x", ""))
                yield match.group(2), where, data


def marked_records(stream):
    records = []
    while len(stream) >= 4:
        (marker,) = struct.unpack(">I", stream[:4])
        length = marker & 0x7FFFFFFF
        records.append(stream[4:4 + length])
        stream = stream[4 + length:]
    return records


def write_data(record):
    """The data of a device_write call (procedure 11), else None."""
    def word(at):
        return struct.unpack(">I", record[at:at + 4])[0] if len(record) >= at + 4 else None

    def padded(length):
        return (length + 3) & ~3

    if word(4) != 0 or word(12) != 0x0607AF or word(20) != 11:
        return None
    verifier = 32 + padded(word(28) or 0)
    args = verifier + 8 + padded(word(verifier + 4) or 0)
    length = word(args + 16)
    return None if length is None else record[args + 20:args + 20 + length]


def seg(data):
    return struct.pack(">H", len(data)) + data


def cut(trace_dir, inputs):
    """The traces cut into the targets' inputs."""
    def add(target, data):
        inputs.setdefault(target, []).append(data)

    for name in os.listdir(trace_dir):
        if name.startswith("args."):
            with open(os.path.join(trace_dir, name), "rb") as args:
                add("program_options", args.read().rstrip(b"\0"))
        if not name.startswith("trace."):
            continue
        streams, datagrams, line = {}, [], [b""]
        for call, where, data in events(os.path.join(trace_dir, name)):
            if where.startswith("UDP:") and call == "recvmsg" and ":111" in where.split("->")[0]:
                datagrams.append(data)
            elif where.startswith("TCP:") and call == "read":
                streams.setdefault(where, b"")
                streams[where] += data
            elif where.startswith("/dev/pts/") or where.startswith("/dev/ptmx"):
                if call == "write":
                    line.append(b"")
                else:
                    line[-1] += data
        for datagram in datagrams:
            add("portmapper", struct.pack(">H", CORE_PORT) + b"\0" + datagram)
        for where, stream in streams.items():
            local = int(where.split("->")[0].rsplit(":", 1)[1].rstrip("]"))
            if local == 111:
                add("portmapper", struct.pack(">H", CORE_PORT) + b"\x80" + stream)
            elif stream[:1] == b"\x80":
                add("vxi11_channel", b"\0" + stream)
                messages = [write_data(r) for r in marked_records(stream)]
                text = b"\n".join(m for m in messages if m is not None)
                if text:
                    add("scpi_session", b"\x03\0" + text + b"\n")
            else:
                add("scpi_session", b"\x01\0" + stream)
                add("scpi_session", b"\0\0" + stream)
        if len(line) > 1:
            add("device_replies", b"\0" + b"".join(seg(part) for part in line))


def main():
    release, fuzz = sys.argv[1], sys.argv[2]
    inputs = {}
    with tempfile.TemporaryDirectory() as work:
        fake = traced(os.path.join(release, "tests/remote/vxi11_fake_server"), work)
        zolvek = traced(os.path.join(release, "app/zolvek"), work)
        sim = os.path.join(release, "tools/sim/zolvek-sim")
        own_network = os.path.join(TOP, "tests/support/own-network.sh")
        for command in (
                [own_network, "/usr/bin/python3", os.path.join(TOP, "tests/remote/vxi11_clients_test.py"),
                 fake, "OwnPortmapperTest"],
                ["/usr/bin/python3", os.path.join(TOP, "tests/app/remote_clients.py"), zolvek, sim],
                [own_network, "/usr/bin/python3", os.path.join(TOP, "tests/app/vxi11_program.py"), zolvek, sim]):
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        cut(work, inputs)
    for target, found in sorted(inputs.items()):
        with tempfile.TemporaryDirectory() as recorded:
            for i, data in enumerate(found):
                with open(os.path.join(recorded, "%04d" % i), "wb") as out:
                    out.write(data)
            seeds = os.path.join(HERE, target, "seeds")
            os.makedirs(seeds, exist_ok=True)
            subprocess.run([os.path.join(fuzz, "tests/fuzz/fuzz_" + target), "-merge=1",
                            "-max_len=65536", seeds, recorded], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            print(target, len(found), "recorded,", len(os.listdir(seeds)), "seeds")


if __name__ == "__main__":
    main()
