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
values=(xmmc=基于深度学习的高校科研项目智能评审方法研究 xmlbdm=B xkdm=520.2040 selffin=是 yjxk=计算机科学技术
  xm1=张三丰 cddw1=Arvel理工大学 sqrq="2013年 3月" xmlb=面上项目 yjlb=基础研究 yjlbdm=A sqje=10 xldm=人工智能
  xk=人工智能 yjqsjm=1 yjzsjy=2015 yjzsjm=12 xb=男 csny=1975-06 sfzh1=11010519491231002X xw=博士 xl=2005年7月
  zyjszw1=教授 zyjszwdm1=011 jb=正高 jbdm=A cz=省杰出青年 lxdh=0791-8812345 email=zhangsf@arvel.edu.cn
  mz=省智能计算重点实验室 szxy=计算机学院 cddw2=Arvel师范大学 cddw3=Arvel农业大学 zrs=10 gj=4 zj=3 cj=1 bs=1 ss=1 cjdw=3
  xmjj=本项目研究高校科研项目评审中的智能方法。 ztc1=深度学习 ztc2=项目评审 ztc3=知识图谱)
for k in 2 3 4 5 6 7 8 9 10; do
  values+=(xm$k=成员$k sfzh$k=11010519491231002X zyjszw$k=中级 szdw$k=Arvel理工大学 xmzfg$k=实验与分析)
done
"$qvtool" set "$doc" "${values[@]}" >/dev/null
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
