#!/usr/bin/env python3
"""Timing helper of bench/run.sh.

  timing.py time OUT.json RUNS NAME=COMMAND ...   times each shell command RUNS times (used
                                                  when hyperfine is missing), and writes the
                                                  times in hyperfine's JSON form
  timing.py report SIZE=FILE.json ...             prints the medians, the ratios and the growth
"""
import json
import resource
import statistics
import subprocess
import sys
import time


def time_commands(out, runs, pairs):
    results = []
    for pair in pairs:
        name, command = pair.split("=", 1)
        subprocess.run(["sh", "-c", command], check=True)  # warm-up
        times = []
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        for _ in range(runs):
            start = time.perf_counter()
            subprocess.run(["sh", "-c", command], check=True)
            times.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        results.append({"command": name, "times": times,
                        "user": (after.ru_utime - before.ru_utime) / runs,
                        "system": (after.ru_stime - before.ru_stime) / runs})
    with open(out, "w") as f:
        json.dump({"results": results}, f)


def medians(path):
    """Median wall time and mean processor time (user + system) of every command."""
    with open(path) as f:
        data = json.load(f)
    wall = {r["command"]: statistics.median(r["times"]) for r in data["results"]}
    cpu = {r["command"]: r.get("user", 0) + r.get("system", 0) for r in data["results"]}
    return wall, cpu


def report(pairs):
    walls, cpus = [], []
    for pair in pairs:
        size, path = pair.split("=", 1)
        wall, cpu = medians(path)
        walls.append((int(size), wall))
        cpus.append((int(size), cpu))
    table("wall-clock time, median", walls)
    table("processor time (user + system), mean", cpus)


def table(title, sizes):
    tools = ["zelkov", "makedepf90", "cat"]
    print()
    print(title)
    print()
    print("| sources | " + " | ".join(tools) + " | makedepf90 / zelkov | zelkov / cat |")
    print("|---|" + "---|" * (len(tools) + 2))
    for size, m in sizes:
        cells = [f"{m[t]:.3f} s" if t in m else "skipped" for t in tools]
        peer = f"{m['makedepf90'] / m['zelkov']:.1f}x" if "makedepf90" in m else "-"
        floor = f"{m['zelkov'] / m['cat']:.2f}x" if "cat" in m else "-"
        print(f"| {size:,} | " + " | ".join(cells) + f" | {peer} | {floor} |")
    print()
    for (s1, m1), (s2, m2) in zip(sizes, sizes[1:]):
        for t in tools:
            if t in m1 and t in m2 and m1[t] > 0:
                print(f"growth {s1:,} -> {s2:,} sources ({s2 / s1:g}x the files): "
                      f"{t} {m2[t] / m1[t]:.2f}x the time")


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "time":
        time_commands(sys.argv[2], int(sys.argv[3]), sys.argv[4:])
    elif len(sys.argv) >= 3 and sys.argv[1] == "report":
        report(sys.argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
