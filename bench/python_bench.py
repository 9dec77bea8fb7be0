#!/usr/bin/env python3
"""What the Python module costs on top of `quillon-cli session` (docs/performance.md,
"The Python module").

    bench/python_bench.py [--bin build/default/bin] [--writes 300] [--master 1000]

Against the adapter simulator at cable speed (--pace, 9600 baud), it measures
- a port write through a raw JSON session (a line to the tool's standard input, read lines
  until its answer) and through quillon.Adapter.write, each on a simulator of its own, one
  after the other in each round so both see the same machine; the difference is what the
  module adds;
- the bus master writing back to back at the line's capacity: every write must come out of
  the module's iterator, in order, and the rate is set against what the line can carry.
Prints one line per figure; exits 1 when a master write is lost or out of order.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))

import quillon  # noqa: E402
from quillon.simulator import Simulator  # noqa: E402
from quillon.tool import ADAPTER_SIM, CLI, find_program, tool_environment  # noqa: E402

# A master write of one byte crosses the line as an `i` frame of 6 bytes (STX, LEN, SEQ,
# code, the byte, CRC; docs/protocol.md), each 10 bit times at 9600 baud.
FRAME_BYTES_ONE_DATA_BYTE = 6
BYTE_MS = 10 / 9600 * 1000


def raw_session(device):
    argv = [find_program(CLI), "--json", "-d", device, "session", "--keep-going"]
    process = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               env=tool_environment(), text=True, bufsize=1)

    def send(line, terminal):
        process.stdin.write(line + "\n")
        process.stdin.flush()
        while True:
            event = json.loads(process.stdout.readline())
            if event["event"] in (terminal, "error"):
                return event

    send("version", "version")
    return process, send


def write_latency(rounds):
    # One simulator each: a port is opened by one program at a time.
    sims = [Simulator(find_program(ADAPTER_SIM), ["--pace"]) for _ in range(2)]
    try:
        process, send = raw_session(sims[0].device)
        raw, module = [], []
        with quillon.Adapter(sims[1].device) as adapter:
            for n in range(rounds):
                start = time.perf_counter()
                event = send(f"write {n & 0xFF:02X}", "written")
                raw.append(time.perf_counter() - start)
                if event["event"] != "written":
                    sys.exit(f"raw session: {event}")
                start = time.perf_counter()
                adapter.write(n & 0xFF)
                module.append(time.perf_counter() - start)
        process.stdin.close()
        process.wait()
    finally:
        for sim in sims:
            sim.stop()
    return raw, module


def master_stream(count):
    sim = Simulator(find_program(ADAPTER_SIM), ["--pace"])
    try:
        with quillon.Adapter(sim.device) as adapter:
            sent = [n & 0xFF for n in range(count)]
            start = time.perf_counter()
            # One command line per write, all at once: the simulator's line is the limit.
            sim.command("\n".join(f"write {value:02X}" for value in sent))
            got = []
            for write in adapter.master_writes(timeout=5.0):
                got.append(write)
                if len(got) == count:
                    break
            elapsed = time.perf_counter() - start
            lost = (adapter.not_forwarded, adapter.master_lost)
    finally:
        sim.stop()
    return sent, got, elapsed, lost


def ms(seconds):
    return seconds * 1000


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", help="folder of quillon-cli and the simulators (a build's bin)")
    parser.add_argument("--writes", type=int, default=300, help="port writes of each kind")
    parser.add_argument("--master", type=int, default=1000, help="master writes in the stream")
    options = parser.parse_args()
    if options.bin:
        os.environ["QUILLON_CLI"] = os.path.join(options.bin, CLI)
        os.environ["QUILLON_ADAPTER_SIM"] = os.path.join(options.bin, ADAPTER_SIM)

    raw, module = write_latency(options.writes)
    for name, times in (("raw JSON session", raw), ("quillon.Adapter.write", module)):
        print(f"{name:24} {len(times)} writes: median {ms(statistics.median(times)):.2f} ms, "
              f"mean {ms(statistics.mean(times)):.2f} ms, "
              f"95th percentile {ms(statistics.quantiles(times, n=20)[18]):.2f} ms")
    median = statistics.median(module) - statistics.median(raw)
    mean = statistics.mean(module) - statistics.mean(raw)
    print(f"{'module adds':24} median {ms(median):+.2f} ms, mean {ms(mean):+.2f} ms")

    sent, got, elapsed, lost = master_stream(options.master)
    wire_s = len(sent) * FRAME_BYTES_ONE_DATA_BYTE * BYTE_MS / 1000
    in_order = [write[0] for write in got] == sent
    print(f"master writes: {len(got)} of {len(sent)} through the iterator in {elapsed:.2f} s "
          f"(the line carries them in {wire_s:.2f} s), "
          f"{'all in order' if in_order else 'NOT IN ORDER'}, "
          f"not forwarded {lost[0]}, lost by the tool {lost[1]}")
    return 0 if in_order else 1


if __name__ == "__main__":
    sys.exit(main())
