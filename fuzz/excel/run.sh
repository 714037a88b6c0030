#!/usr/bin/env bash
# Runs the package-reader fuzz target for a bounded time from a seed corpus
# (the LibreOffice fixture and a workbook the model writes).
#   fuzz/excel/run.sh BUILD_DIR [SECONDS]      (BUILD_DIR configured with clang and -DVELMORA_FUZZ=ON)
set -euo pipefail
build=$1 seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$here/../../tests/excel/fixtures/base_table.xlsx" "$corpus/"
if [[ -x "$build/tests/excel_sample_writer" ]]; then "$build/tests/excel_sample_writer" "$corpus/sample.xlsx"; fi
ASAN_OPTIONS=detect_leaks=1 "$build/fuzz/excel_package_fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 \
  -max_len=65536 -timeout=10 "$corpus"
