#!/usr/bin/env bash
# Runs both fuzz targets of the .xlsx reader for a bounded time each, from a
# seed corpus (the LibreOffice fixtures; for the part target their parts).
#   fuzz/excel/run.sh BUILD_DIR [SECONDS]
# BUILD_DIR: configured with clang and -DVELMORA_FUZZ=ON -DVELMORA_SANITIZE=ON
#            -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
set -euo pipefail
build=$1 seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir "$corpus/package" "$corpus/part"
cp "$here/../../tests/excel/fixtures/"*.xlsx "$corpus/package/"
n=0
for f in "$here/../../tests/excel/fixtures/"*.xlsx; do
  choice=0   # the first byte picks the part: workbook, styles, shared strings, sheet
  for part in xl/workbook.xml xl/styles.xml xl/sharedStrings.xml xl/worksheets/sheet1.xml; do
    n=$((n + 1))
    { printf "\\x0$choice"; unzip -p "$f" "$part"; } > "$corpus/part/seed$n" 2>/dev/null || true
    choice=$((choice + 1))
  done
done
for target in package part; do
  ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/excel_${target}_fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -max_len=65536 -timeout=10 "$corpus/$target"
done
