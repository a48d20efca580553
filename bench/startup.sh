#!/usr/bin/env bash
# Time from process start to the main window shown (offscreen), and peak memory; medians of N runs.
#   bench/startup.sh [PROGRAM] [RUNS]
# "first" starts with an empty home folder each time (everything is created and registered);
# "later" starts on a prepared home with a document named on the command line.
set -euo pipefail
program=${1:-build/app/vantra}
runs=${2:-5}
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

one() {  # home, then arguments
  local home=$1; shift
  HOME=$home XDG_RUNTIME_DIR=$home VANTRA_BENCH_T0=$(date +%s%N) "$program" "$@" 2>/dev/null
}

for kind in first later; do
  : > "$work/ms"; : > "$work/kb"
  mkdir -p "$work/home" && chmod 700 "$work/home"
  [ "$kind" = later ] && one "$work/home" "$work/home/a.qvx" >/dev/null
  for _ in $(seq "$runs"); do
    if [ "$kind" = first ]; then rm -rf "$work/home"; mkdir -m 700 "$work/home"; fi
    line=$(one "$work/home" "$work/home/a.qvx")
    echo "$line" | sed -n 's/.*startup_ms=\([0-9.]*\).*/\1/p' >> "$work/ms"
    echo "$line" | sed -n 's/.*peak_kb=\([0-9]*\).*/\1/p' >> "$work/kb"
  done
  printf '%-6s start-up median %s ms, peak memory median %s KiB (%s runs)\n' \
    "$kind" "$(median < "$work/ms")" "$(median < "$work/kb")" "$runs"
done
