#!/usr/bin/env bash
# "预览申请书" without a window: a filled document rendered to PDF by LibreOffice, median of N.
#   bench/preview.sh [QVTOOL] [RUNS]
set -euo pipefail
qvtool=${1:-build/tools/qvtool}
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
doc="$work/filled.qvx"
"$qvtool" new "$doc"
"$qvtool" set "$doc" xmmc=基于深度学习的高校科研项目智能评审方法研究 xm1=张三丰 cddw1=Arvel理工大学 \
  xmjj=本项目研究高校科研项目评审中的智能方法。 ztc1=深度学习 >/dev/null
median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
times=$(for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$qvtool" preview "$doc" "$work/out.pdf" >/dev/null
  echo $(( ($(date +%s%N) - start) / 1000000 ))
done)
printf 'preview: a filled document to PDF with LibreOffice, median %s ms (%s runs)\n' "$(echo "$times" | median)" "$runs"
