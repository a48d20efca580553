#!/usr/bin/env bash
# Sets up a Debian 12 machine for vantra and builds it.
#   scripts/setup.sh run    install what the program needs, build it and start it
#   scripts/setup.sh test   install what the build and the tests need, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}

RUNTIME_PACKAGES=(cmake ninja-build g++ pkg-config python3 qt6-base-dev qt6-base-dev-tools libgl-dev
  zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libpugixml-dev libcurl4-openssl-dev qtkeychain-qt6-dev ca-certificates
  libsqlite3-dev libxlsxwriter-dev
  qt6-translations-l10n
  fonts-noto-cjk fonts-arphic-ukai fonts-liberation2 shared-mime-info desktop-file-utils)
# Chinese input methods: Qt's own ibus plug-in comes with Qt; fcitx5 brings its Qt 6 plug-in here.
DESKTOP_PACKAGES=(fcitx5-frontend-qt6)
# The mail tests talk to a loopback SMTP server with a certificate made for the run; the package
# test builds a .deb (dpkg-shlibdeps) and validates what it installs; the intake test reads the
# spreadsheet back with openpyxl.
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb xauth zip unzip python3-aiosmtpd openssl poppler-utils
  dpkg-dev appstream make python3-openpyxl)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

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
    word_processor libreoffice-writer-nogui
    build -DVANTRA_TESTS=ON
    # Widget tests draw offscreen; nothing needs a display.
    export QT_QPA_PLATFORM=offscreen
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
