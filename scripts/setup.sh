#!/usr/bin/env bash
# Sets up a Debian 12 machine for vantra and builds it.
#   scripts/setup.sh run    install what the program needs, build it and start it
#   scripts/setup.sh test   install what the build and the tests need, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}

RUNTIME_PACKAGES=(cmake ninja-build g++ pkg-config python3 qt6-base-dev qt6-base-dev-tools libgl-dev
  zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libpugixml-dev libcurl4-openssl-dev qtkeychain-qt6-dev ca-certificates
  libsqlite3-dev libxlsxwriter-dev libssl-dev libpq-dev libgmime-3.0-dev
  qt6-translations-l10n
  fonts-noto-cjk fonts-arphic-ukai fonts-liberation2 shared-mime-info desktop-file-utils)
# Chinese input methods: Qt's own ibus plug-in comes with Qt; fcitx5 brings its Qt 6 plug-in here.
DESKTOP_PACKAGES=(fcitx5-frontend-qt6)
# The mail tests talk to a loopback SMTP server with a certificate made for the run; the package
# test builds a .deb (dpkg-shlibdeps) and validates what it installs; the intake test reads the
# spreadsheet back with openpyxl and has LibreOffice Calc open the CSV; lintian judges the package.
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb xauth zip unzip python3-aiosmtpd openssl poppler-utils
  dpkg-dev appstream make python3-openpyxl lintian)
# The servers the office's tests start on loopback, each with a configuration of its own: they
# are installed, never started as the system's.
SERVER_PACKAGES=(dovecot-imapd postgresql postgresql-client)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Installs packages whose daemons must not start as the machine's (no IMAP server on port 143, no
# database cluster on 5432): Debian's policy layer is told to refuse every start while they are
# installed, and no default cluster is made.
install_servers() {
  local missing=()
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -gt 0 ] || return 0
  local policy=/usr/sbin/policy-rc.d made_policy=
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | as_root tee "$policy" >/dev/null
    as_root chmod 755 "$policy"
    made_policy=1
  fi
  if [ ! -e /etc/postgresql-common/createcluster.conf ]; then
    as_root mkdir -p /etc/postgresql-common
    echo 'create_main_cluster = false' | as_root tee /etc/postgresql-common/createcluster.conf >/dev/null
  fi
  install_packages "${missing[@]}"
  [ -z "$made_policy" ] || as_root rm -f "$policy"
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_packages() {
  local wanted=("$@") missing=()
  for p in "${wanted[@]}"; do
    installed "$p" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get update -qq
    # --no-remove: nothing the user has is ever taken away to make room.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends --no-remove "${missing[@]}"
  fi
}

# The applicant writes the body text in a word processor, and the tests convert documents with
# LibreOffice. Whichever LibreOffice writer is installed serves both; only where none is, one is
# installed: the full one to run the program, the headless one for the tests.
word_processor() {
  if installed libreoffice-writer || installed libreoffice-writer-nogui || command -v soffice >/dev/null; then
    return
  fi
  install_packages "$1"
}

# The office's CSV is tried in LibreOffice Calc: the headless one unless a Calc is installed.
spreadsheet() {
  if installed libreoffice-calc || installed libreoffice-calc-nogui; then
    return
  fi
  install_packages "$1"
}

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build build --parallel "$(nproc)"
}

case "$mode" in
  run)
    install_packages "${RUNTIME_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}"
    word_processor libreoffice-writer
    build -DVANTRA_TESTS=OFF
    exec ./build/app/vantra
    ;;
  test)
    install_packages "${RUNTIME_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    install_servers "${SERVER_PACKAGES[@]}"
    word_processor libreoffice-writer-nogui
    spreadsheet libreoffice-calc-nogui
    build -DVANTRA_TESTS=ON
    # Widget tests draw offscreen; nothing needs a display. The servers were installed above: a
    # test whose server does not start fails here rather than skipping.
    export QT_QPA_PLATFORM=offscreen VANTRA_REQUIRE_SERVERS=1
    (cd build && ctest --output-on-failure --timeout 600)
    # The resources also build with CMake's default generator.
    cmake -S . -B build-make -G "Unix Makefiles" -DVANTRA_TESTS=OFF >/dev/null
    cmake --build build-make --target vantra_resource_files vantra_theme_icons --parallel "$(nproc)" >/dev/null
    # Every suite once more under AddressSanitizer and UndefinedBehaviorSanitizer. Leaks are
    # not reported: Qt and fontconfig keep caches for the life of the process.
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTRA_SANITIZE=ON -DVANTRA_TESTS=ON >/dev/null
    cmake --build build-asan --parallel "$(nproc)"
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    cd build-asan && ctest --output-on-failure --timeout 900 -E 'desktop_package'
    ;;
  *)
    echo "usage: scripts/setup.sh run|test" >&2
    exit 2
    ;;
esac
