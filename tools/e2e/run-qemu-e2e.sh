#!/usr/bin/env bash
# The end-to-end test against the real Linux kernel: keyloomctl's hidraw backend drives the
# simulated keyboard, which sits behind /dev/uhid as a virtual USB HID device, inside a QEMU guest
# that boots Debian's own kernel (software emulation, no KVM needed).
#
#   tools/e2e/run-qemu-e2e.sh [BUILD_DIR]     (default build/dev)
#
# Takes keyloomctl and keyloom_uhid_keyboard from BUILD_DIR/bin (building them when needed),
# fetches the kernel package that linux-image-amd64 depends on with apt-get download into
# build/e2e (kept there for the next run), packs the programs, their shared libraries, busybox
# and the modules hid, uhid and hid-generic into an initramfs, and boots it. The guest runs
# tools/e2e/guest-test.sh, whose expectations come from the same command sequence run here on
# the host with --simulate.
#
# Exit status: 0 passed, 1 failed, 77 skipped (the reason is printed, and nothing was tested).
# A skip is accepted only where the test cannot be expected to run: on a system other than
# Debian 12, where QEMU, busybox or the kernel cannot be had, or when asked for with
# KEYLOOM_SKIP_E2E=1 and a reason in KEYLOOM_SKIP_E2E_REASON. On Debian 12, which has every
# package it needs (tools/dev.sh installs them), a missing piece is a failure.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
e2e_dir="$root/tools/e2e"
build=$(realpath -m "${1:-$root/build/dev}")
cache="$root/build/e2e"
work="$cache/run"
boot_limit=600

die() {
  echo "e2e: FAIL: $*" >&2
  exit 1
}
on_debian_12() {
  [ -r /etc/os-release ] && (
    . /etc/os-release
    [ "${ID:-}" = debian ] && [ "${VERSION_ID:-}" = 12 ]
  )
}
skip() {
  on_debian_12 && die "$* (on Debian 12 the test must run; KEYLOOM_SKIP_E2E=1 with a reason" \
    "in KEYLOOM_SKIP_E2E_REASON skips it)"
  echo "e2e: SKIPPED: $*" >&2
  exit 77
}

if [ "${KEYLOOM_SKIP_E2E:-}" = 1 ]; then
  [ -n "${KEYLOOM_SKIP_E2E_REASON:-}" ] || die "KEYLOOM_SKIP_E2E=1 needs a reason in KEYLOOM_SKIP_E2E_REASON"
  echo "e2e: SKIPPED on request: $KEYLOOM_SKIP_E2E_REASON" >&2
  exit 77
fi
seconds_since() { echo $(($(date +%s) - $1)); }
started=$(date +%s)

for tool in qemu-system-x86_64 cpio gzip objcopy apt-get apt-cache dpkg-deb; do
  command -v "$tool" > /dev/null || skip "$tool is missing (tools/dev.sh installs it)"
done
busybox=/bin/busybox
if ! [ -x "$busybox" ] || ldd "$busybox" > /dev/null 2>&1; then
  skip "no static busybox at $busybox (package busybox-static)"
fi

cmake --build "$build" --target keyloomctl keyloom_uhid_keyboard > /dev/null ||
  die "cannot build keyloomctl and keyloom_uhid_keyboard in $build"
ctl="$build/bin/keyloomctl"
adapter="$build/bin/keyloom_uhid_keyboard"
config="$build/bin/config.xml"

# The kernel: the image package that linux-image-amd64 depends on now, else the newest one
# already fetched.
mkdir -p "$cache"
package=$(apt-cache depends linux-image-amd64 2> /dev/null |
  awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
if [ -n "$package" ] && ! compgen -G "$cache/${package}_*.deb" > /dev/null; then
  (cd "$cache" && apt-get download "$package" > "$cache/download.log" 2>&1) ||
    echo "e2e: apt-get download $package failed: $(tail -1 "$cache/download.log")" >&2
fi
deb=$(ls -t "$cache"/${package:-linux-image-*}_*.deb 2> /dev/null | head -1 || true)
[ -n "$deb" ] || skip "cannot fetch the kernel package ${package:-of linux-image-amd64}"
kernel_tree="$cache/$(basename "$deb" .deb)"
if ! [ -e "$kernel_tree/.extracted" ]; then
  rm -rf "$kernel_tree"
  dpkg-deb -x "$deb" "$kernel_tree"
  touch "$kernel_tree/.extracted"
fi
vmlinuz=$(ls "$kernel_tree"/boot/vmlinuz-* | head -1)
modules=$(ls -d "$kernel_tree"/lib/modules/* | head -1)
echo "e2e: kernel $(basename "$vmlinuz") ($(seconds_since "$started") s)"

rm -rf "$work"
initramfs="$work/initramfs"
mkdir -p "$initramfs"/{bin,lib/modules,e2e/bin,e2e/work,e2e/expected,proc,sys,dev}

# A module file, decompressed into the initramfs; prints the names it depends on.
module_file() {
  local found
  found=$(find "$modules" \( -name "$1.ko*" -o -name "${1//_/-}.ko*" \) | head -1)
  [ -n "$found" ] || die "module $1 not found in $modules"
  local target="$initramfs/lib/modules/$1.ko"
  case "$found" in
    *.ko) cp "$found" "$target" ;;
    *.ko.xz) xz -dc "$found" > "$target" ;;
    *.ko.zst) zstd -qdc "$found" > "$target" ;;
    *.ko.gz) gzip -dc "$found" > "$target" ;;
  esac
  objcopy -O binary --only-section=.modinfo "$target" "$work/modinfo"
  tr '\0' '\n' < "$work/modinfo" | sed -n 's/^depends=//p' | tr ',' ' '
}
# Loading order: every module after the ones it depends on.
loaded=" "
add_module() {
  local name=${1//-/_} dependency
  case "$loaded" in *" $name "*) return ;; esac
  for dependency in $(module_file "$name"); do
    add_module "$dependency"
  done
  loaded="$loaded$name "
  echo "$name" >> "$initramfs/lib/modules/order"
}
for module in hid uhid hid_generic; do
  add_module "$module"
done

# The programs with the shared libraries they load, at the paths the loader looks for them.
copy_program() {
  objcopy --strip-debug "$1" "$initramfs/e2e/bin/$(basename "$1")"
  local library
  for library in $(ldd "$1" | grep -o '/[^ ]*'); do
    mkdir -p "$initramfs$(dirname "$library")"
    [ -e "$initramfs$library" ] || cp -L "$library" "$initramfs$library"
  done
}
copy_program "$ctl"
copy_program "$adapter"
cp "$busybox" "$initramfs/bin/busybox"
ln -s busybox "$initramfs/bin/sh"
cp "$e2e_dir/guest-init.sh" "$initramfs/init"
chmod +x "$initramfs/init"
cp "$e2e_dir/guest-test.sh" "$e2e_dir/sequence.sh" "$initramfs/e2e/"
cp "$config" "$e2e_dir/e2e.mcr" "$initramfs/e2e/work/"

# What to expect: the same sequence on the host, against the simulated keyboard.
expected_work="$work/expected-work"
mkdir -p "$expected_work/data"
cp "$config" "$e2e_dir/e2e.mcr" "$expected_work/"
step() {
  local name=$1 status=0
  shift
  (cd "$expected_work" &&
    "$ctl" --simulate --config config.xml --data-dir data --trace "$@" \
      > "$initramfs/e2e/expected/$name.out" 2> "$initramfs/e2e/expected/$name.trace") ||
    status=$?
  echo "$status" > "$initramfs/e2e/expected/$name.status"
  cp "$expected_work/data/simulated-keyboard.xml" "$initramfs/e2e/expected/$name.state"
}
# shellcheck source=tools/e2e/sequence.sh
. "$e2e_dir/sequence.sh"
run_sequence
if grep -qvx 0 "$initramfs"/e2e/expected/*.status; then
  die "the sequence fails on the host's simulated keyboard: see $initramfs/e2e/expected"
fi

(cd "$initramfs" && find . | cpio -o -H newc --quiet) | gzip -1 > "$work/initrd.gz"
echo "e2e: initramfs $(du -h "$work/initrd.gz" | cut -f1) with modules" \
  "$(tr '\n' ' ' < "$initramfs/lib/modules/order")($(seconds_since "$started") s)"

booted=$(date +%s)
serial="$work/serial.log"
qemu_status=0
timeout "$boot_limit" qemu-system-x86_64 -accel tcg -cpu max -m 512 -smp 1 -nographic \
  -nic none -no-reboot -kernel "$vmlinuz" -initrd "$work/initrd.gz" \
  -append "console=ttyS0 panic=-1 quiet" < /dev/null > "$serial" 2> "$work/qemu.err" ||
  qemu_status=$?
tr -d '\r' < "$serial"
echo "e2e: guest ran for $(seconds_since "$booted") s, $(seconds_since "$started") s in all"

if grep -q '^KEYLOOM-E2E: PASS' "$serial"; then
  exit 0
fi
if ! grep -q '^e2e: guest up' "$serial" && [ "$qemu_status" -ne 0 ] && [ "$qemu_status" -ne 124 ]; then
  skip "QEMU could not run the guest (status $qemu_status): $(head -3 "$work/qemu.err")"
fi
[ "$qemu_status" -ne 124 ] || echo "e2e: the guest did not finish within $boot_limit s" >&2
echo "e2e: FAIL: see $serial" >&2
exit 1
