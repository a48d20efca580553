#!/usr/bin/env bash
# Time from "申请书简表" to the short-form screen's first paint with a filled document's values
# (offscreen); median of N runs. "settled": clicked a second after the main window appeared, as a
# person would; "cold": clicked at once, before the program has prepared anything. With a
# BASELINE program (an earlier build), its runs alternate with PROGRAM's on the same document and
# both medians are printed, with their ratio.
#   bench/shortform.sh [PROGRAM] [QVTOOL] [RUNS] [BASELINE]
set -euo pipefail
program=${1:-build/app/vantra}
qvtool=${2:-build/tools/qvtool}
runs=${3:-5}
baseline=${4:-}
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/home"
doc="$work/home/filled.qvx"
"$qvtool" new "$doc"
source "$(dirname "$0")/filled.sh"
fill_document "$qvtool" "$doc"
median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
one() {  # program, settled|cold
  HOME=$work/home XDG_RUNTIME_DIR=$work/home VANTRA_BENCH_T0=$(date +%s%N) VANTRA_BENCH_SHORTFORM=$2 \
    "$1" "$doc" 2>/dev/null | sed -n 's/.*shortform_ms=\([0-9.]*\).*/\1/p'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
for mode in settled cold; do
  : > "$work/program"; : > "$work/baseline"
  for _ in $(seq "$runs"); do
    one "$program" $mode >> "$work/program"
    [ -n "$baseline" ] && one "$baseline" $mode >> "$work/baseline"
  done
  p=$(median < "$work/program")
  printf 'short form, %s: "申请书简表" to the screen painted with a filled document, median %s ms (%s runs)\n' \
    $mode "$p" "$runs"
  if [ -n "$baseline" ]; then
    b=$(median < "$work/baseline")
    printf 'short form, %s, baseline: median %s ms; program / baseline %s\n' $mode "$b" "$(ratio "$p" "$b")"
  fi
done
