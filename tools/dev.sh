#!/usr/bin/env bash
# Sets up a Debian 12 machine for Keyloom, builds it, and runs the program or every test.
#
#   tools/dev.sh run [ARGS...]   install what is missing, build the release preset, run
#                                keyloom --simulate ARGS with a display ($DISPLAY or
#                                $WAYLAND_DISPLAY), else keyloomctl ARGS (default: --simulate slots)
#   tools/dev.sh test            install what is missing, check the formatting, build and run
#                                every test suite, three rounds of two programs at once on
#                                the simulated keyboard (tools/stress-keyboard.sh) and of
#                                keyloomctl racing itself on the user's files
#                                (tools/stress-user-files.sh), clang-tidy on the day's seventh
#                                of src/ and the recently changed sources (below), the
#                                end-to-end test against the real
#                                Linux kernel under QEMU (tools/e2e; KEYLOOM_SKIP_E2E=1 with a
#                                KEYLOOM_SKIP_E2E_REASON skips it), every test again under
#                                ASan+UBSan, each libFuzzer target for 15 s, then the Windows
#                                cross build under Wine and the Debian package's install test
#                                (KEYLOOM_SKIP_INSTALL_TEST=1 skips the latter, which installs
#                                the package when run as root)
#   tools/dev.sh bench           build the release preset and run the benchmarks (the GUI's
#                                start-up: bench/gui/startup.sh build/release)
#
# clang-tidy (.clang-tidy, with build/dev's compile commands) checks one seventh of the .cpp
# files of src/, a different seventh each day of the week (all of them take about 16 minutes on
# two cores, more than the run has room for; a week checks every file), and the .cpp files that
# the last 5 commits of the first-parent history added or modified (a changed header counts as
# its .cpp file; moved files do not count), at most 20: about 4 minutes on two cores. Any finding
# fails the run. tools/clang-tidy-src.py --help for more; --all checks every file.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config git
  libpugixml-dev libudev-dev libxcb1-dev libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-tidy
  clang libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins libfontconfig-dev fonts-noto-core fonts-noto-cjk
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine64 wine googletest dpkg-dev file
  time strace xvfb x11-utils desktop-file-utils appstream python3 libxml2-utils
  qemu-system-x86 busybox-static cpio xz-utils zstd
  xdotool dbus at-spi2-core python3-pyatspi
)
# The Windows GUI: Qt for MinGW-w64 built from Debian's source (tools/build-qt-mingw.sh), and
# its tests under Wine on Xvfb (tools/test-windows-gui.sh).
packages+=(qt6-base-dev-tools imagemagick)

install_missing() {
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

check_format() {
  local files
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
  ((${#files[@]})) || return 0
  clang-format --dry-run --Werror "${files[@]}"
}

# Runs each libFuzzer target (fuzz/: the XML readers and the simulated keyboard's frames) for
# 15 seconds under ASan+UBSan, two at a time (one per core), from the seeds in
# fuzz/corpus/<target>; what a run learns stays in build/fuzz, so do any crash files and each
# target's output (build/fuzz/<target>.log). fuzz/lsan.supp names the leaks of system libraries
# that are not the program's.
fuzz_one() {
  local target=$1 dictionary=(-dict=fuzz/xml.dict)
  [ "$target" != sim_frames ] || dictionary=()
  mkdir -p "build/fuzz/corpus/$target"
  LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0" \
    "build/fuzz/bin/fuzz_$target" -max_total_time=15 "${dictionary[@]}" \
    -artifact_prefix=build/fuzz/ "build/fuzz/corpus/$target" "fuzz/corpus/$target" \
    > "build/fuzz/$target.log" 2>&1
}

fuzz_readers() {
  cmake --preset fuzz
  cmake --build --preset fuzz
  local targets=(config macro_library store keymap autoprofile coord_file layout translator menu
    resource_index values sim_state sim_frames)
  local i target failed=0 pids statuses
  for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
      fuzz_one "$target" &
      pids+=($!)
    done
    statuses=()
    for pid in "${pids[@]}"; do
      if wait "$pid"; then statuses+=(0); else statuses+=(1); fi
    done
    for target in "${targets[@]:i:2}"; do
      if [ "${statuses[0]}" -eq 0 ]; then
        echo "fuzz_$target: $(grep -E '^(Done|#[0-9]+ +DONE)' "build/fuzz/$target.log" | tail -n 1)"
      else
        echo "fuzz_$target FAILED:"
        tail -n 60 "build/fuzz/$target.log"
        failed=1
      fi
      statuses=("${statuses[@]:1}")
    done
  done
  [ "$failed" -eq 0 ]
}

# The end-to-end test under QEMU on the dev build. It skips (status 77, with the reason) only
# off Debian 12 where QEMU or the kernel package cannot be had, or when KEYLOOM_SKIP_E2E=1 asks
# for it with a reason in KEYLOOM_SKIP_E2E_REASON; on Debian 12 anything missing fails the run.
end_to_end() {
  local status=0
  tools/e2e/run-qemu-e2e.sh build/dev || status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ]
}

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
  run)
    install_missing
    cmake --workflow --preset release
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec build/release/bin/keyloom --simulate "$@"
    fi
    [ $# -gt 0 ] || set -- --simulate slots
    exec build/release/bin/keyloomctl "$@"
    ;;
  test)
    install_missing
    check_format
    cmake --workflow --preset dev
    tools/stress-keyboard.sh build/dev 3
    tools/stress-user-files.sh 3 build/dev
    tools/clang-tidy-src.py --build build/dev
    end_to_end
    cmake --workflow --preset asan
    fuzz_readers
    tools/test-windows.sh
    tools/test-install.sh
    ;;
  bench)
    install_missing
    cmake --preset release -DKEYLOOM_BUILD_BENCHMARKS=ON
    cmake --build --preset release
    exec build/release/bin/keyloom_bench "$@"
    ;;
  *)
    sed -n '2,26p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
