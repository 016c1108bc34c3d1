#!/usr/bin/python3
"""Benchmark: the recorded Bode session of a Siglent oscilloscope (identity,
set-up line, BSWV?, 101 log-spaced BSWV FRQ points with the first sent
twice, OUTP OFF), each request on a fresh VXI-11 connection as the scope
makes it. Per point: the time from sending the device_write to its reply,
which the program sends once the tick has written the frequency; and the
whole request (portmapper, create_link, write, destroy_link). Goal: p99
under 60 ms a point, the session under 7 s.

Against the fake generator's test program (started here):
    /usr/bin/python3 bench/remote/bode_bench.py --server build/release/tests/remote/vxi11_fake_server
Against a running program (zolvek --port sim0 --vxi11):
    /usr/bin/python3 bench/remote/bode_bench.py --address 127.0.0.1 [--port CORE_PORT]
--port skips the portmapper; --udp asks it over UDP as the SDS800X-HD does.
"""

import argparse
import math
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "remote"))
import vxi11client as vxi  # noqa: E402

P99_GOAL = 0.060
TOTAL_GOAL = 7.0


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(fraction * len(ordered)) - 1)]


def timed_requests(host, core_port, udp):
    """The session with each request timed whole; answers the write times,
    the request times and the total."""
    requests = []
    original = vxi.scope_request

    def timed(*args, **kwargs):
        start = time.perf_counter()
        result = original(*args, **kwargs)
        requests.append(time.perf_counter() - start)
        return result

    vxi.scope_request = timed
    try:
        start = time.perf_counter()
        writes = vxi.bode_session(host, core_port=core_port, udp=udp)
        total = time.perf_counter() - start
    finally:
        vxi.scope_request = original
    return writes, requests[3:-1], total  # the points only


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    target = parser.add_mutually_exclusive_group(required=True)
    target.add_argument("--server", help="the fake generator's test program to start")
    target.add_argument("--address", help="a running program's VXI-11 address")
    parser.add_argument("--port", type=int, help="the core port: skip the portmapper")
    parser.add_argument("--udp", action="store_true", help="ask the portmapper over UDP")
    options = parser.parse_args()

    server = None
    host, core_port, what = options.address, options.port, "the program"
    if options.server:
        server = vxi.FakeServer(options.server)
        host, what = "127.0.0.1", f"the fake generator, {server.finding}"
        if server.finding == "none":
            core_port = server.core_ports[0]
    try:
        writes, requests, total = timed_requests(host, core_port, options.udp)
    finally:
        if server:
            server.stop()
    ms = lambda seconds: f"{seconds * 1000:.1f} ms"  # noqa: E731
    print(f"Bode session against {host} ({what}): {len(writes)} points")
    print(f"  per point, write to written: p50 {ms(percentile(writes, 0.5))}, "
          f"p99 {ms(percentile(writes, 0.99))}, max {ms(max(writes))}")
    print(f"  per point, whole request: p50 {ms(percentile(requests, 0.5))}, p99 {ms(percentile(requests, 0.99))}")
    passed = percentile(writes, 0.99) < P99_GOAL and total < TOTAL_GOAL
    print(f"  total {total:.2f} s; goal p99 < {ms(P99_GOAL)} and total < {TOTAL_GOAL:.0f} s: "
          + ("met" if passed else "NOT met"))
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
