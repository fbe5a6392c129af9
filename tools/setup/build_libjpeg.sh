#!/usr/bin/env bash
# Cross-builds libjpeg (API version 62) for i686 Windows, static, from Debian's libjpeg-turbo
# source package. The result lives outside the repository and is never committed.
set -euo pipefail

prefix=${LIBJPEG_PREFIX:-/opt/zentavo-deps/libjpeg-i686}
if [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi

srcsrc=/etc/apt/sources.list.d/debian-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  echo "setup: enabling Debian source packages"
  $SUDO tee "$srcsrc" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $SUDO apt-get update -qq
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cd "$work"
echo "setup: fetching Debian's libjpeg-turbo source"
apt-get source -qq --download-only libjpeg-turbo >/dev/null
dpkg-source -x --no-check ./libjpeg-turbo_*.dsc src >/dev/null
toolchain=$(cd "$(dirname "$0")/../../cmake" && pwd)/mingw-i686.cmake
cmake -S src -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
  -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF -Wno-dev >/dev/null
cmake --build build >/dev/null
$SUDO cmake --install build >/dev/null
echo "setup: libjpeg installed in $prefix"
