#!/usr/bin/env bash
# The Windows edition's format; medians of N runs, alternating, whole processes:
#   qvtool dump of a filled Word 97 application against dump of the same application in OOXML
#   (the one LibreOffice converted it from);
#   qvtool convert of it (LibreOffice's conversion, the protection put back, every value read
#   back and compared) against LibreOffice's bare --convert-to docx of the same file, each with a
#   fresh profile, as qvtool's conversion has.
#   bench/word97.sh [QVTOOL] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
qvtool=$(realpath "${1:-build/tools/qvtool}")
runs=${2:-9}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME=$work

source "$here/filled.sh"
"$qvtool" new filled.qvx
fill_document "$qvtool" filled.qvx
soffice -env:UserInstallation="file://$work/make" --headless --convert-to 'doc:MS Word 97' --outdir . filled.qvx >/dev/null 2>&1
mv filled.doc filled97.qvx

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
time_us() {  # file to append to, then the command
  local file=$1; shift
  local t0=$EPOCHREALTIME t1
  "$@" >/dev/null 2>&1 || true
  t1=$EPOCHREALTIME
  echo $(( ${t1/[.,]/} - ${t0/[.,]/} )) >> "$file"
}
ms() { awk -v a="$(median < "$1")" 'BEGIN {printf "%.1f", a/1000}'; }
ratio() { awk -v a="$(median < "$1")" -v b="$(median < "$2")" 'BEGIN {printf "%.2f", a/b}'; }

for i in $(seq "$runs"); do
  time_us t_dump97 "$qvtool" dump filled97.qvx
  time_us t_dump "$qvtool" dump filled.qvx
  rm -f converted.qvx
  time_us t_convert "$qvtool" convert filled97.qvx converted.qvx
  rm -rf bare "$work/profile$i"
  time_us t_bare soffice -env:UserInstallation="file://$work/profile$i" --headless --norestore --nologo --nodefault \
    --convert-to 'docx:MS Word 2007 XML' --outdir bare filled97.qvx
done
test -s converted.qvx && test -s bare/filled97.docx
printf 'qvtool dump: Word 97 %s ms, OOXML %s ms, ratio %s\n' "$(ms t_dump97)" "$(ms t_dump)" "$(ratio t_dump97 t_dump)"
printf 'conversion: qvtool convert %s ms, LibreOffice alone %s ms, ratio %s\n' "$(ms t_convert)" "$(ms t_bare)" \
  "$(ratio t_convert t_bare)"
