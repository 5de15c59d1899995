#!/usr/bin/env bash
# Sets up a Debian 12 machine for Keyloom, builds it, and runs the program or every test.
#
#   tools/dev.sh run [ARGS...]   install what is missing, build the release preset, run
#                                keyloomctl ARGS (default: --simulate slots)
#   tools/dev.sh test            install what is missing, check the formatting, build and run
#                                every test suite, then again under ASan+UBSan
#   tools/dev.sh bench           build the release preset and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config git
  libpugixml-dev libudev-dev libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev clang-format
)

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

command=${1:-}
[ $# -gt 0 ] && shift
case "$command" in
  run)
    install_missing
    cmake --workflow --preset release
    [ $# -gt 0 ] || set -- --simulate slots
    exec build/release/bin/keyloomctl "$@"
    ;;
  test)
    install_missing
    check_format
    cmake --workflow --preset dev
    cmake --workflow --preset asan
    ;;
  bench)
    install_missing
    cmake --preset release -DKEYLOOM_BUILD_BENCHMARKS=ON
    cmake --build --preset release
    exec build/release/bin/keyloom_bench "$@"
    ;;
  *)
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
