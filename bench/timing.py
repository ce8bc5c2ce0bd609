#!/usr/bin/env python3
"""Timing helper of bench/run.sh.

  timing.py time OUT.json RUNS NAME=COMMAND ...   times each shell command RUNS times (used
                                                  when hyperfine is missing), and writes the
                                                  times in hyperfine's JSON form
  timing.py peak FILE.json GNU_TIME NAME=COMMAND ...
                                                  runs each command once more under GNU time -v
                                                  and adds its peak memory to FILE.json
  timing.py report SIZE=FILE.json ...             prints the medians, the ratios, the growth and
                                                  each tool's time and memory
"""
import json
import resource
import statistics
import subprocess
import sys
import tempfile
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


def gnu_time_fields(text):
    """The "name: value" lines of GNU time -v, by name."""
    fields = {}
    for line in text.splitlines():
        name, sep, value = line.strip().rpartition(": ")
        if sep:
            fields[name] = value
    return fields


def wall_seconds(text):
    """GNU time's elapsed time, h:mm:ss or m:ss.ss, in seconds."""
    seconds = 0.0
    for part in text.split(":"):
        seconds = seconds * 60 + float(part)
    return seconds


def peak(path, gnu_time, pairs):
    with open(path) as f:
        data = json.load(f)
    by_name = {r["command"]: r for r in data["results"]}
    for pair in pairs:
        name, command = pair.split("=", 1)
        with tempfile.NamedTemporaryFile("r") as out:
            subprocess.run([gnu_time, "-v", "-o", out.name, "sh", "-c", command], check=True)
            fields = gnu_time_fields(out.read())
        by_name[name]["peak_kib"] = int(fields["Maximum resident set size (kbytes)"])
        by_name[name]["peak_run"] = {
            "wall": wall_seconds(fields["Elapsed (wall clock) time (h:mm:ss or m:ss)"]),
            "user": float(fields["User time (seconds)"]),
            "system": float(fields["System time (seconds)"])}
    with open(path, "w") as f:
        json.dump(data, f)


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
    for pair in pairs:
        size, path = pair.split("=", 1)
        resources(int(size), path)


def resources(size, path):
    """Each tool's wall time (median), user and system time (means) and peak memory."""
    with open(path) as f:
        data = json.load(f)
    print()
    print(f"{size:,} sources: time and memory of each tool")
    print()
    print("| tool | wall, median | user | system | peak memory |")
    print("|---|---|---|---|---|")
    for r in data["results"]:
        memory = f"{r['peak_kib'] / 1024:.1f} MiB" if "peak_kib" in r else "not measured"
        print(f"| {r['command']} | {statistics.median(r['times']):.3f} s | "
              f"{r.get('user', 0):.3f} s | {r.get('system', 0):.3f} s | {memory} |")


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
    elif len(sys.argv) >= 4 and sys.argv[1] == "peak":
        peak(sys.argv[2], sys.argv[3], sys.argv[4:])
    elif len(sys.argv) >= 3 and sys.argv[1] == "report":
        report(sys.argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
