#!/usr/bin/env bash
# Time from process start to the main window shown (offscreen), and peak memory; medians of N runs.
#   bench/startup.sh [PROGRAM] [RUNS] [BASELINE]
# "first" starts with an empty home folder each time (everything is created and registered);
# "later" starts on a prepared home with a document named on the command line. With a BASELINE
# program (an earlier build), its runs alternate with PROGRAM's and both medians are printed.
set -euo pipefail
program=${1:-build/app/vantra}
runs=${2:-5}
baseline=${3:-}
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

one() {  # program, home, then arguments
  local binary=$1 home=$2; shift 2
  HOME=$home XDG_RUNTIME_DIR=$home VANTRA_BENCH_T0=$(date +%s%N) "$binary" "$@" 2>/dev/null
}

programs=("$program")
[ -n "$baseline" ] && programs+=("$baseline")
for kind in first later; do
  for p in "${!programs[@]}"; do : > "$work/ms$p"; : > "$work/kb$p"; done
  for p in "${!programs[@]}"; do
    mkdir -p "$work/home$p" && chmod 700 "$work/home$p"
    [ "$kind" = later ] && one "${programs[$p]}" "$work/home$p" "$work/home$p/a.qvx" >/dev/null
  done
  for _ in $(seq "$runs"); do
    for p in "${!programs[@]}"; do
      if [ "$kind" = first ]; then rm -rf "$work/home$p"; mkdir -m 700 "$work/home$p"; fi
      line=$(one "${programs[$p]}" "$work/home$p" "$work/home$p/a.qvx")
      echo "$line" | sed -n 's/.*startup_ms=\([0-9.]*\).*/\1/p' >> "$work/ms$p"
      echo "$line" | sed -n 's/.*peak_kb=\([0-9]*\).*/\1/p' >> "$work/kb$p"
    done
  done
  for p in "${!programs[@]}"; do
    printf '%-6s %-9s start-up median %s ms, peak memory median %s KiB (%s runs)\n' "$kind" \
      "$([ "$p" = 0 ] && echo program || echo baseline)" "$(median < "$work/ms$p")" "$(median < "$work/kb$p")" "$runs"
  done
done
