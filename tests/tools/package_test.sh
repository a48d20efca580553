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
         share/mime/packages/vantra.xml share/man/man1/qvtool.1.gz share/man/man1/vantra.1.gz \
         share/doc/vantra/copyright share/doc/vantra/changelog.Debian.gz share/icons/hicolor/scalable/apps/vantra.svg \
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
# What a Debian maintainer's tool says of it: nothing (overrides carry their reason beside them).
if command -v lintian >/dev/null; then
  tags=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null | grep -E '^[EW]:' || true)
  [ -z "$tags" ] || { echo "lintian:"; echo "$tags"; exit 1; }
elif [ -n "${VANTRA_REQUIRE_SERVERS:-}" ]; then
  echo "lintian is not installed"; exit 1
else
  echo "SKIPPED: lintian is not installed"
fi
# The programs answer --help and --version on a terminal, without a display.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/vantra" --version | grep -q '^vantra ' || { echo "vantra --version"; exit 1; }
"$root/bin/qvtool" --help | grep -q 'qvtool COMMAND' || { echo "qvtool --help"; exit 1; }
# Installed and removed in a root of its own (no maintainer script runs: it has none), the
# package leaves nothing behind.
inst=$work/installed
mkdir -p "$inst/var/lib/dpkg/info" "$inst/var/lib/dpkg/updates"
touch "$inst/var/lib/dpkg/status"
dpkg_here() { dpkg --root="$inst" --admindir="$inst/var/lib/dpkg" --log=/dev/null --force-not-root --force-depends \
  --force-script-chrootless "$@" >/dev/null; }
dpkg_here -i "$deb"
[ -x "$inst/usr/bin/vantra" ] || { echo "not installed"; exit 1; }
dpkg_here -r vantra
left=$(find "$inst" -mindepth 1 -not -path "$inst/var/lib/dpkg*" -type f)
[ -z "$left" ] || { echo "left behind by dpkg -r:"; echo "$left"; exit 1; }
echo "package: $(basename "$deb"), Depends: $depends"
