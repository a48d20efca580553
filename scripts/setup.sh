#!/usr/bin/env bash
# Sets up a Debian 12 machine for vantra and builds it.
#   scripts/setup.sh run    install what the program needs, build it and start it
#   scripts/setup.sh test   install what the build and the tests need, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}

RUNTIME_PACKAGES=(cmake ninja-build g++ pkg-config python3 qt6-base-dev qt6-base-dev-tools libgl-dev
  zlib1g-dev libjpeg62-turbo-dev libpugixml-dev libcurl4-openssl-dev qtkeychain-qt6-dev ca-certificates
  fonts-noto-cjk fonts-arphic-ukai shared-mime-info desktop-file-utils)
# The applicant writes the body text in a word processor.
DESKTOP_PACKAGES=(libreoffice-writer)
# LibreOffice converts and re-saves documents in the interoperability tests.
# The mail tests talk to a loopback SMTP server with a certificate made for the run.
TEST_PACKAGES=(libgtest-dev libgmock-dev xvfb xauth zip unzip libreoffice-writer-nogui python3-aiosmtpd openssl)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
  local wanted=("$@") missing=()
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build build --parallel "$(nproc)"
}

case "$mode" in
  run)
    install_packages "${RUNTIME_PACKAGES[@]}" "${DESKTOP_PACKAGES[@]}"
    build -DVANTRA_TESTS=OFF
    exec ./build/app/vantra
    ;;
  test)
    install_packages "${RUNTIME_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build -DVANTRA_TESTS=ON
    # Widget tests draw offscreen; nothing needs a display.
    export QT_QPA_PLATFORM=offscreen
    cd build && ctest --output-on-failure --timeout 600
    ;;
  *)
    echo "usage: scripts/setup.sh run|test" >&2
    exit 2
    ;;
esac
