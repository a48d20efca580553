#!/usr/bin/env bash
# Pack, check and unpack against Info-ZIP's zip -6, unzip -t and unzip on the same files in the
# same run, alternating; medians of N runs and ratios. The files: prose and photographs in about
# equal parts at 1, 10 and 100 MiB, and a filled application document with a body of prose and
# photographs (about 10 MB). With a BASELINE qvtool (an earlier build), its runs alternate too.
# Needs the bench helpers (configure with -DVANTRA_BENCH=ON) and python3-docx.
#   bench/archive.sh [QVTOOL] [RUNS] [BASELINE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
qvtool=$(realpath "${1:-build/tools/qvtool}")
runs=${2:-5}
baseline=${3:+$(realpath "$3")}
pictures_tool=$(dirname "$qvtool")/../bench/make_pictures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir pictures
QT_QPA_PLATFORM=offscreen "$pictures_tool" pictures 12 1600 1200 2>/dev/null
for mib in 1 10 100; do /usr/bin/python3 "$here/testfiles.py" mixed "mixed$mib.qvx" $mib pictures; done
source "$here/filled.sh"
"$qvtool" new document.qvx
fill_document "$qvtool" document.qvx
/usr/bin/python3 "$here/testfiles.py" document document.qvx 10 pictures

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
time_us() {  # file to append to, then the command
  local file=$1; shift
  local t0=$EPOCHREALTIME t1
  "$@" >/dev/null 2>&1
  t1=$EPOCHREALTIME
  echo $(( ${t1/[.,]/} - ${t0/[.,]/} )) >> "$file"  # microseconds, without starting a clock program
}
tools=(ours); [ -n "$baseline" ] && tools+=(base)
tool_of() { [ "$1" = ours ] && echo "$qvtool" || echo "$baseline"; }

report() {  # operation, file label
  local op=$1 label=$2 ours zip line
  ours=$(median < "t_ours_$op"); zip=$(median < "t_zip_$op")
  line=$(awk -v a="$ours" -v b="$zip" 'BEGIN {printf "ours %.1f ms, Info-ZIP %.1f ms, ours / Info-ZIP %.2f", a/1000, b/1000, a/b}')
  if [ -n "$baseline" ]; then
    line+=$(awk -v a="$ours" -v c="$(median < "t_base_$op")" 'BEGIN {printf "; baseline %.1f ms, ours / baseline %.2f", c/1000, a/c}')
  fi
  printf '%-7s %-22s %s\n' "$op" "$label" "$line"
}

for file in mixed1.qvx mixed10.qvx mixed100.qvx document.qvx; do
  rm -f t_*
  for _ in $(seq "$runs"); do
    for t in "${tools[@]}"; do
      rm -rf "$t.qvs" "out_$t" && mkdir "out_$t"
      time_us "t_${t}_pack" "$(tool_of "$t")" pack "$file" "$t.qvs"
      time_us "t_${t}_check" "$(tool_of "$t")" check "$t.qvs"
      time_us "t_${t}_unpack" "$(tool_of "$t")" unpack "$t.qvs" "out_$t/unpacked.qvx"
    done
    rm -rf zip.zip out_zip && mkdir out_zip
    time_us t_zip_pack zip -q -6 zip.zip "$file"
    time_us t_zip_check unzip -tq zip.zip
    time_us t_zip_unpack unzip -oq zip.zip -d out_zip
  done
  cmp "$file" out_ours/unpacked.qvx
  label="$file ($(( $(stat -c %s "$file") / 1024 )) KiB)"
  printf '%s: package %s bytes, Info-ZIP %s bytes\n' "$file" "$(stat -c %s ours.qvs)" "$(stat -c %s zip.zip)"
  for op in pack check unpack; do report $op "$label"; done
done
