#!/usr/bin/env bash
# The desktop package: built with CPack in the build folder, unpacked into a temporary root, and
# its desktop entry and metainfo validated as the desktop's tools do.
#   package_test.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/*.deb)
dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr
for f in bin/vantra bin/qvtool share/applications/cn.arvel.vantra.desktop share/metainfo/cn.arvel.vantra.metainfo.xml \
         share/mime/packages/vantra.xml share/man/man1/qvtool.1 share/icons/hicolor/scalable/apps/vantra.svg \
         share/icons/hicolor/256x256/apps/vantra.png share/icons/hicolor/16x16/apps/vantra.png; do
  [ -e "$root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
# The helpers are found from the installed programs: qvtool intake runs the intake program (its
# usage, exit 2), and the keychain module lies beside it.
set +e
usage=$("$root/bin/qvtool" intake 2>&1); status=$?
set -e
[ "$status" = 2 ] && [[ "$usage" == *"qvtool intake [FOLDER..."* ]] || { echo "qvtool intake did not find its program: $usage"; exit 1; }
intake=$(find "$root" -name qvtool-intake)
[ -e "$(dirname "$intake")/vantra_keychain.so" ] || { echo "the keychain module is not beside the intake program"; exit 1; }
desktop-file-validate "$root/share/applications/cn.arvel.vantra.desktop"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/cn.arvel.vantra.metainfo.xml" || \
  appstreamcli validate --no-net "$root/share/metainfo/cn.arvel.vantra.metainfo.xml"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *libqt6widgets6*) ;; *) echo "dependencies not from dpkg-shlibdeps: $depends"; exit 1 ;; esac
echo "package: $(basename "$deb"), Depends: $depends"
