#!/usr/bin/env python3
"""Times quillmark-cli find-name and find-similar against scan on one folder.

A search reads every font as the scan does and only adds its test, so it
should take no more than 1.2 times what the scan takes. Each command runs
once to warm the file cache, then RUNS times in turn with the others (so
that a busy machine slows all of them alike); the medians are compared.

    bench/find_timing.py build/cli/quillmark-cli /work/bench-fonts/f2k [RUNS]
"""

import os
import statistics
import subprocess
import sys
import time


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    cli, folder = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    source = sorted(f for f in os.listdir(folder) if f.lower().endswith((".ttf", ".otf")))[0]
    commands = {
        "scan": [cli, "scan", folder],
        "find-name sans": [cli, "find-name", "sans", folder],
        "find-name --regex .": [cli, "find-name", "--regex", ".", folder],
        "find-similar": [cli, "find-similar", os.path.join(folder, source), folder],
    }
    times = {name: [] for name in commands}
    for _ in range(runs + 1):
        for name, command in commands.items():
            start = time.perf_counter()
            subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           check=True)
            times[name].append(time.perf_counter() - start)
    scan = statistics.median(times["scan"][1:])
    worst = 0.0
    for name, seconds in times.items():
        median = statistics.median(seconds[1:])
        ratio = median / scan
        if name != "scan":
            worst = max(worst, ratio)
        print(f"{name:22} median {median * 1000:7.1f} ms  min {min(seconds[1:]) * 1000:7.1f} ms"
              f"  {ratio:4.2f} x scan")
    print(f"worst search: {worst:.2f} x scan ({'within' if worst <= 1.2 else 'over'} 1.2)")
    return 0 if worst <= 1.2 else 1


if __name__ == "__main__":
    sys.exit(main())
