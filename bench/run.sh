#!/bin/bash
# Times zelkov, makedepf90 and `cat` of every file side by side on generated projects, and
# prints the medians, the ratios and the growth with the number of files, and for each tool
# its wall, user and system time and its peak memory.
#
#   bench/run.sh -z path/to/zelkov [-s "1000 10000 100000"] [-r runs] [-w workdir] [-p]
#
#   -s  project sizes in sources (default "1000 10000 100000")
#   -r  timed runs per command (default 5); the median is reported
#   -w  where the projects are generated (default /tmp/zelkov-bench); kept between runs
#   -p  time makedepf90 at 100,000 sources as well (it takes minutes there; one run)
#
# hyperfine times the commands when it is installed, else a small timer of our own does.
# GNU time (/usr/bin/time -v, Debian package "time") measures the peak memory in one more
# run of each command. A tool that is not installed is skipped, and the report says so. The
# environment variables HYPERFINE, MAKEDEPF90 and GNU_TIME name the three programs (set one
# to "none" to do without it).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
zelkov=""
sizes="1000 10000 100000"
runs=5
work=/tmp/zelkov-bench
peer_all=0
while getopts "z:s:r:w:p" opt; do
    case $opt in
    z) zelkov=$OPTARG ;;
    s) sizes=$OPTARG ;;
    r) runs=$OPTARG ;;
    w) work=$OPTARG ;;
    p) peer_all=1 ;;
    *) sed -n '2,14p' "$0" >&2; exit 2 ;;
    esac
done
if [ -z "$zelkov" ] || [ ! -x "$zelkov" ]; then
    echo "run.sh: give the zelkov binary with -z" >&2
    exit 2
fi
zelkov=$(cd "$(dirname "$zelkov")" && pwd)/$(basename "$zelkov")
mkdir -p "$work"

hyperfine=${HYPERFINE:-hyperfine}
makedepf90=${MAKEDEPF90:-makedepf90}
gnu_time=${GNU_TIME:-/usr/bin/time}
have() { [ "$1" != none ] && command -v "$1" > /dev/null 2>&1; }
have "$hyperfine" || echo "hyperfine is not installed: timing with bench/timing.py instead"
have "$makedepf90" || echo "makedepf90 is not installed: skipped"
have "$gnu_time" || echo "GNU time is not installed: peak memory not measured"

# The shell command that runs zelkov on a project: its arguments single-quoted, so that the
# wildcards reach zelkov unexpanded.
zelkov_command() {
    local dir=$1 cmd="cd '$dir' && '$zelkov'" arg
    while IFS= read -r arg; do cmd+=" '$arg'"; done < "$dir/zelkov.args"
    echo "$cmd > /dev/null"
}

reports=()
for n in $sizes; do
    dir=$work/p$n
    if [ ! -f "$dir/files.txt" ]; then
        rm -rf "$dir"
        python3 "$here/gen_project.py" --sources "$n" --seed 1 --out "$dir"
    fi
    # Time only a run that succeeds.
    if ! (eval "$(zelkov_command "$dir")"); then
        echo "run.sh: zelkov failed on $dir" >&2
        exit 1
    fi
    names=(zelkov)
    commands=("$(zelkov_command "$dir")")
    if have "$makedepf90" && { [ "$n" -lt 100000 ] || [ "$peer_all" = 1 ]; }; then
        names+=(makedepf90)
        commands+=("cd '$dir' && '$makedepf90' -I inc \$(cat sources.txt) > /dev/null")
    elif have "$makedepf90"; then
        echo "makedepf90 at $n sources skipped (give -p to time it)"
    fi
    names+=(cat)
    commands+=("cd '$dir' && xargs -a files.txt cat > /dev/null")

    pairs=()
    for i in "${!names[@]}"; do pairs+=("${names[$i]}=${commands[$i]}"); done
    json=$work/times-$n.json
    echo "== $n sources: $(wc -l < "$dir/files.txt") files, $(du -sh "$dir" | cut -f1)"
    if have "$hyperfine"; then
        # One hyperfine run for all tools, so that they are measured side by side; makedepf90
        # takes minutes at 100,000 sources and gets one run of its own there.
        together=() alone=()
        for i in "${!names[@]}"; do
            if [ "${names[$i]}" = makedepf90 ] && [ "$n" -ge 100000 ]; then
                alone+=("$i")
            else
                together+=(--command-name "${names[$i]}" "${commands[$i]}")
            fi
        done
        "$hyperfine" --warmup 1 --runs "$runs" --style basic --export-json "$json.0" \
            "${together[@]}" | grep -E '^ *(Time|Range)|^Benchmark' || true
        parts=1
        for i in "${alone[@]}"; do
            "$hyperfine" --runs 1 --style basic --export-json "$json.$parts" \
                --command-name "${names[$i]}" "${commands[$i]}" | grep -E '^ *(Time|Range)' || true
            parts=$((parts + 1))
        done
        python3 - "$json" "$parts" <<'EOF'
import json, sys
out, count = sys.argv[1], int(sys.argv[2])
results = []
for i in range(count):
    with open(f"{out}.{i}") as f:
        results += json.load(f)["results"]
with open(out, "w") as f:
    json.dump({"results": results}, f)
EOF
    else
        python3 "$here/timing.py" time "$json" "$runs" "${pairs[@]}"
    fi
    if have "$gnu_time"; then
        python3 "$here/timing.py" peak "$json" "$gnu_time" "${pairs[@]}"
    fi
    reports+=("$n=$json")
done

echo
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "medians of $runs runs (warm cache, output to /dev/null); peak memory of one more run"
python3 "$here/timing.py" report "${reports[@]}"
