#!/usr/bin/env bash
# velmora check over many returns: makes COUNT returns from the built samples
# (a few of them broken: no workbook, a negative figure, an empty A40) in a
# temporary folder, checks them with JOBS worker processes under
# /usr/bin/time -v, and prints returns per second, the wall time and the peak
# memory: the sum of the resident sets of velmora and all its workers,
# sampled every 50 ms (shared pages counted once per process, so an upper
# bound), besides the largest single process that time reports. Then checks
# that every return, broken or not, got its verdict. Exit status 0 when the
# report is right and the goals (60 s, 200 MB) are met.
#
#   bench/check/run.sh [BUILD_DIR] [COUNT] [JOBS]     # defaults: build 1000 2
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
count=${2:-1000}
jobs=${3:-2}
bin=$build/bin
tool=$build/bench/check_bench_returns
for f in "$bin/velmora" "$bin/samples/jb1_clean.xlsx" "$tool"; do
  [[ -e $f ]] || { echo "missing $f (build velmora, velmora_data, velscript and check_bench_returns)" >&2; exit 2; }
done

work=$(mktemp -d /tmp/check_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
export VELMORA_REGISTRY=$work/registry.xml
"$bin/velmora" install > /dev/null 2>&1 || true   # servers not built are skipped; check says when the engine is missing
"$tool" make "$bin/samples" "$work/returns" "$count"

# The resident set of a process tree in kB.
tree_rss() {
  ps -e -o pid=,ppid=,rss= | awk -v root="$1" '
    { parent[$1] = $2; rss[$1] = $3 }
    END {
      in_tree[root] = 1
      for (changed = 1; changed;) {
        changed = 0
        for (p in parent) if (!(p in in_tree) && (parent[p] in in_tree)) { in_tree[p] = 1; changed = 1 }
      }
      for (p in in_tree) sum += rss[p]
      print sum + 0
    }'
}

timer=()
[[ -x /usr/bin/time ]] && timer=(/usr/bin/time -v -o "$work/time.txt")
load_before=$(uptime)
start=$EPOCHREALTIME
set +e
"${timer[@]}" "$bin/velmora" check --jobs "$jobs" --report "$work/report.json" "$work/returns" > "$work/out.txt" 2>&1 &
pid=$!
peak=0
while kill -0 "$pid" 2> /dev/null; do
  rss=$(tree_rss "$pid")
  (( rss > peak )) && peak=$rss
  sleep 0.05
done
wait "$pid"
status=$?
set -e
end=$EPOCHREALTIME
load_after=$(uptime)

wall=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
rate=$(awk -v n="$count" -v w="$wall" 'BEGIN { printf "%.1f", n / w }')
echo "machine before: $load_before"
echo "machine after:  $load_after"
cat "$work/out.txt"
echo "velmora check exit status $status (2 expected: broken returns were among them)"
echo "returns:            $count with $jobs jobs"
echo "wall time:          $wall s"
echo "returns per second: $rate"
echo "peak memory (sum of velmora and its workers, sampled): $((peak / 1024)) MB"
if [[ -f $work/time.txt ]]; then
  grep -E "Maximum resident set size|User time|System time|Percent of CPU" "$work/time.txt" | sed 's/^\s*/time -v: /'
fi

"$tool" verify "$work/returns" "$work/report.json" | tail -5
verified=${PIPESTATUS[0]}
goal=0
awk -v w="$wall" 'BEGIN { exit !(w < 60) }' || { echo "GOAL MISSED: $wall s is not under 60 s"; goal=1; }
(( peak < 200 * 1024 )) || { echo "GOAL MISSED: $((peak / 1024)) MB is not under 200 MB"; goal=1; }
(( verified == 0 && goal == 0 )) && echo "goals met: under 60 s, under 200 MB, every return reported correctly"
exit $(( verified || goal ))
