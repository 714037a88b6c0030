#!/usr/bin/env bash
# Opens and saves the benchmark workbook (5 sheets, 2,000 filled cells) with
# the stand-in and with openpyxl (Debian's python3-openpyxl), side by side in
# one run on the same disk, and prints both medians, our peak memory and the
# ratio against the goals (median under 10 ms, under 30 MB, 10 times openpyxl).
#   bench/excel/compare.sh BUILD_DIR [RUNS] [FOLDER]
set -euo pipefail
build=$1 runs=${2:-50} folder=${3:-}
tmp=$(mktemp -d ${folder:+-p "$folder"})
trap 'rm -rf "$tmp"' EXIT
"$build/bench/excel_open_save" make "$tmp/bench.xlsx"
cp "$tmp/bench.xlsx" "$tmp/ours.xlsx"
cp "$tmp/bench.xlsx" "$tmp/openpyxl.xlsx"
ours=$("$build/bench/excel_open_save" run "$tmp/ours.xlsx" "$runs")
echo "$ours" | head -1
theirs=$(/usr/bin/python3 - "$tmp/openpyxl.xlsx" "$runs" <<'PY'
import resource, statistics, sys, time
import openpyxl
path, n = sys.argv[1], int(sys.argv[2])
times = []
for _ in range(n):
    start = time.perf_counter()
    book = openpyxl.load_workbook(path)
    book.save(path)
    times.append((time.perf_counter() - start) * 1000)
print("openpyxl %s open+save: median %.2f ms, min %.2f ms over %d runs; peak memory %.1f MB"
      % (openpyxl.__version__, statistics.median(times), min(times), n,
         resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024))
print("median_ms=%.3f" % statistics.median(times))
PY
)
echo "$theirs" | head -1
/usr/bin/python3 - "$(echo "$ours" | tail -1)" "$(echo "$theirs" | tail -1)" <<'PY'
import sys
ours = dict(kv.split("=") for kv in sys.argv[1].split())
theirs = dict(kv.split("=") for kv in sys.argv[2].split())
median, peak, other = float(ours["median_ms"]), float(ours["peak_mb"]), float(theirs["median_ms"])
ratio = other / median
print("median %.2f ms (goal < 10): %s" % (median, "met" if median < 10 else "NOT met"))
print("peak %.1f MB (goal < 30): %s" % (peak, "met" if peak < 30 else "NOT met"))
print("%.1f times faster than openpyxl (goal >= 10): %s" % (ratio, "met" if ratio >= 10 else "NOT met"))
PY
