#!/usr/bin/env python3
"""Times `quillmark-cli scan` against the FreeType peer (../shared/bench/ftpeer)
and fontconfig's `fc-scan` on one folder, run after run in turn, and prints
the median times, the ratios, files/s and peak memory.

usage: bench/scan_vs_peers.py FOLDER [--runs N] [--threads T] [--cold]
  --cold   drop the page cache before every run (needs root)
The peer is compiled into /tmp from ../shared/bench/ftpeer.c when missing.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PEER_SOURCE = os.path.join(ROOT, "..", "shared", "bench", "ftpeer.c")
PEER = "/tmp/quillmark-ftpeer"


def build_peer():
    if os.path.exists(PEER) and os.path.getmtime(PEER) >= os.path.getmtime(PEER_SOURCE):
        return
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "freetype2"], check=True,
                           capture_output=True, text=True).stdout.split()
    subprocess.run(["cc", "-O2", "-o", PEER, PEER_SOURCE] + flags + ["-lpthread"], check=True)


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as f:
        f.write("3\n")


def run(command):
    start = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: %s" % " ".join(command))
    return elapsed, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--threads", type=int, default=os.cpu_count())
    parser.add_argument("--cold", action="store_true")
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "cli", "quillmark-cli"))
    args = parser.parse_args()
    build_peer()
    files = sum(1 for name in os.listdir(args.folder) if name.lower().endswith((".ttf", ".otf")))

    commands = {
        "quillmark-cli scan": [args.cli, "scan", "--json", args.folder],
        "ftpeer -j %d" % args.threads: [PEER, "-j", str(args.threads), args.folder],
        "fc-scan": ["fc-scan", "--format", "%{file}\n", args.folder],
    }
    times = {name: [] for name in commands}
    memory = {name: 0 for name in commands}
    for name, command in commands.items():  # one warm-up each
        run(command)
    for _ in range(args.runs):
        for name, command in commands.items():
            if args.cold:
                drop_caches()
            elapsed, rss = run(command)
            times[name].append(elapsed)
            memory[name] = max(memory[name], rss)

    ours = statistics.median(times["quillmark-cli scan"])
    print("%d fonts, %d runs each, %s cache" % (files, args.runs, "cold" if args.cold else "warm"))
    for name in commands:
        median = statistics.median(times[name])
        print("%-22s %8.1f ms  %8.0f files/s  peak %6.1f MB  %5.2fx quillmark's time"
              % (name, median * 1000, files / median, memory[name] / 1024, median / ours))


if __name__ == "__main__":
    main()
