#!/usr/bin/env bash
# Pack, check and unpack of a 10 MB file of mixed text and binary content, against Info-ZIP's
# zip -6, unzip -t and unzip on the same file in the same run; medians of N runs and ratios.
#   bench/archive.sh [QVTOOL] [RUNS]
set -euo pipefail
qvtool=$(realpath "${1:-build/tools/qvtool}")
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Mixed content: blocks of prose (compressible) between blocks of random bytes.
python3 - "$work/doc.qvx" <<'PY'
import os, sys
text = ("申请书正文：研究内容、研究方法、技术路线和预期成果。Research content and methods. " * 40).encode("gbk")
out = bytearray()
while len(out) < 10 * 1024 * 1024:
    out += text[: 30000]
    out += os.urandom(12000)
open(sys.argv[1], "wb").write(out[: 10 * 1024 * 1024])
PY

now() { date +%s%N; }
median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
time_ms() {  # file to append to, then the command
  local file=$1; shift
  local t0; t0=$(now); "$@" >/dev/null 2>&1; echo $(( ($(now) - t0) / 1000 )) >> "$file"
}

cd "$work"
for _ in $(seq "$runs"); do
  rm -f p.qvs p.zip
  time_ms ours_pack "$qvtool" pack doc.qvx p.qvs
  time_ms zip_pack zip -q -6 p.zip doc.qvx
  time_ms ours_check "$qvtool" check p.qvs
  time_ms zip_check unzip -tq p.zip
  rm -rf out && mkdir out && cp p.qvs out/ && cp p.zip out/
  time_ms ours_unpack "$qvtool" unpack out/p.qvs out/doc-unpacked.qvx
  time_ms zip_unpack unzip -oq out/p.zip -d out/z
done
cmp doc.qvx out/doc-unpacked.qvx
printf 'sizes: ours %s bytes, Info-ZIP %s bytes\n' "$(stat -c %s p.qvs)" "$(stat -c %s p.zip)"
for op in pack check unpack; do
  ours=$(median < "ours_$op"); theirs=$(median < "zip_$op")
  awk -v op="$op" -v a="$ours" -v b="$theirs" \
    'BEGIN {printf "%-7s ours %.1f ms, Info-ZIP %.1f ms, ratio %.2f\n", op, a/1000, b/1000, a/b}'
done
