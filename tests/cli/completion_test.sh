#!/usr/bin/env bash
# Runs keyloomctl's bash completion function on command lines and checks what it offers.
#
#   tests/cli/completion_test.sh KEYLOOMCTL COMPLETION_SCRIPT
set -uo pipefail

program=$1
script=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$(realpath "$program")" "$work/bin/keyloomctl"
export PATH="$work/bin:$PATH"
# shellcheck source=/dev/null
source "$script"

failures=0
data=(--data-dir "$work/data")
keyloomctl "${data[@]}" macros add "Copy all" "Ctrl Left" down, A, "Ctrl Left" up >/dev/null || exit 1
keyloomctl "${data[@]}" macros add Hello --text Hi >/dev/null || exit 1

# Completes the last of the words given (the word being typed, possibly empty) and checks that
# the offers are exactly the expected ones (after "--"), in any order.
expect() {
  local -a line=() wanted=()
  while [ "$1" != "--" ]; do line+=("$1"); shift; done
  shift
  wanted=("$@")
  COMP_WORDS=(keyloomctl "${line[@]}")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _keyloomctl
  local got want
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
  want=$(printf '%s\n' "${wanted[@]}" | sort)
  if [ "$got" != "$want" ]; then
    echo "FAIL: keyloomctl ${line[*]}|"
    echo "  expected: $(echo "$want" | tr '\n' ' ')"
    echo "  offered:  $(echo "$got" | tr '\n' ' ')"
    failures=$((failures + 1))
  fi
}

expect co -- config copy-profile
expect --j -- --json
expect macros "" -- list show import export add rename edit delete
expect macros ed -- edit
expect "${data[@]}" macros show "" -- 'Copy\ all' Hello
expect "${data[@]}" assign F6 --macro h -- Hello
expect "${data[@]}" assign F6 --macro "Copy\\ " -- 'Copy\ all'
expect remap ctrl\ l -- 'Ctrl\ Left'
expect remap A f1 -- F1 F10 F11 F12
expect remap A B "" --
expect clear pad\ 1 -- 'Pad\ 1'
expect light rain -- rainbow-wave rainbow-wheel
expect light breathing --direction "" -- left right
expect light --sp -- --speed
expect slots --profile "" -- 1 2 3
expect assign A --media vol -- 'Volume\ up' 'Volume\ down'
expect --config "$(dirname "$(realpath "$program")")/config.xml" assign A --chord red -- Redo 'Redo\ \(Windows\)'
expect macros edit Hello --set -- --set-delay

if [ "$failures" -ne 0 ]; then
  echo "$failures completion(s) failed"
  exit 1
fi
echo "every completion as expected"
