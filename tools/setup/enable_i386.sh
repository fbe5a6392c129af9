#!/usr/bin/env bash
# Makes 32-bit Linux programs (the native i386 test builds) runnable. Some virtual machines
# run no 32-bit code natively; there the kernel's binfmt_misc hands them to qemu's user-mode
# emulator. Idempotent.
set -euo pipefail
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'int main(void){return 42;}\n' >"$probe_dir/p.c"
gcc -m32 -static "$probe_dir/p.c" -o "$probe_dir/p32"
set +e
"$probe_dir/p32" 2>/dev/null
rc=$?
set -e
[ "$rc" -eq 42 ] && ! grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386 && exit 0

echo "setup: this machine runs no 32-bit code natively; qemu-i386 runs it (binfmt_misc)"
if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
fi
# Registered with flag F the kernel keeps the interpreter file it opened then, so an entry made
# before the emulator was upgraded is replaced rather than reused.
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  echo -1 >/proc/sys/fs/binfmt_misc/qemu-i386
fi
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
  >/proc/sys/fs/binfmt_misc/register
"$probe_dir/p32" || rc=$?
[ "${rc:-0}" -eq 42 ] || { echo "setup: 32-bit programs still do not run" >&2; exit 1; }
