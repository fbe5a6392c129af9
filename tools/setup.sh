#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian 12 machine.
# Idempotent: when every package is present it only checks and returns.
# Debian packages only; the libjpeg cross build comes from Debian's own source package.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  g++-multilib gcc-multilib
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 fonts-wine xvfb xauth x11-utils fonts-wqy-microhei locales
  libasio-dev clang llvm libclang-rt-14-dev
  googletest libgtest-dev
  python3 python3-pytest
  curl ffmpeg imagemagick xdotool
  fp-utils
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  need_update=0
fi

# The wine environment runs under code page 936.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  echo "setup: generating zh_CN.UTF-8"
  $SUDO sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

# Machines that run no 32-bit code natively hand it to qemu's user-mode emulator. Bookworm's
# qemu 7.2 cannot start wine32 (it ignores MAP_FIXED_NOREPLACE, so wine's loader cannot lay out
# its address space); the emulator from bookworm-backports can.
backports=/etc/apt/sources.list.d/zentavo-backports.list
if [ ! -f "$backports" ]; then
  echo 'deb http://deb.debian.org/debian bookworm-backports main' | $SUDO tee "$backports" >/dev/null
  need_update=1
fi
qemu_version=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
if [ -z "$qemu_version" ] || dpkg --compare-versions "$qemu_version" lt 1:10; then
  echo "setup: installing qemu-user-static from bookworm-backports"
  [ "${need_update:-0}" -eq 1 ] && $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
fi

"$here/tools/setup/enable_i386.sh"
"$here/tools/setup/build_libjpeg.sh"
echo "setup: ready"
