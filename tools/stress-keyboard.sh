#!/usr/bin/env bash
# Two programs at once on one keyboard: runs keyloomctl commands against the simulated keyboard
# at the same time, at random offsets, and checks that no assignment is lost or overwritten and
# that every command's report is true of the keyboard afterwards.
#
#   tools/stress-keyboard.sh [BUILD_DIR] [ROUNDS]     default: build/dev, 50 rounds
#
# Three cases, each ROUNDS times on a fresh simulated keyboard:
#   overwrite  Z holds a macro on profile 1; "assign C --macro H --profile 1" runs while
#              "slots --profile 2" makes profile 2 active: Z keeps its macro, C's report is true
#   same       two "assign" on profile 1 at once: both land, in two different macro slots
#   profiles   X is remapped on profile 1; remaps on profile 1 and profile 2 at once: X keeps
#              its remap, both new remaps land on their own profiles
# Prints the figures of each case and exits 1 when anything was lost or misreported.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/dev}
rounds=${2:-50}
ctl=$build/bin/keyloomctl
[ -x "$ctl" ] || { echo "stress-keyboard: $ctl is missing; build first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/config.xml" "$work/config.xml"

run() { "$ctl" --simulate --config "$work/config.xml" --data-dir "$work/data" "$@"; }

# The key codes in PROFILE's HALF ("macro" or "remap"), one per line, slot order.
keys_in() {
  run --json slots --profile "$1" |
    python3 -c 'import json,sys; d=json.load(sys.stdin)
for s in d[sys.argv[1] + "Slots"]:
    print(s["key"] if s["key"] else "-")' "$2"
}

# A random pause of 0-300 ms.
jitter() { sleep "0.$(printf '%03d' $((RANDOM % 300)))"; }

fresh() {
  rm -rf "$work/data"
  mkdir -p "$work/data"
  run macros add G > /dev/null 2>&1
  run macros add H > /dev/null 2>&1
}

# Runs "$@" in the background, its status into FILE.
background() {
  local file=$1
  shift
  ( if run "$@" > /dev/null 2> "$file.err"; then echo 0 > "$file"; else echo $? > "$file"; fi ) &
}

lost=0
false_reports=0
report() {
  printf '%-9s %3d rounds  %3d lost  %3d false reports\n' "$1" "$rounds" "$2" "$3"
  lost=$((lost + $2))
  false_reports=$((false_reports + $3))
}

# True when the key was reported done exactly when the keyboard holds it.
truthful() {
  local status_file=$1 present=$2
  local status
  status=$(cat "$status_file")
  { [ "$status" = 0 ] && [ "$present" = 1 ]; } || { [ "$status" != 0 ] && [ "$present" = 0 ]; }
}

holds() { grep -qx "$1" <<< "$2" && echo 1 || echo 0; }

case_lost=0 case_false=0
for ((i = 0; i < rounds; i++)); do
  fresh
  run assign Z --macro G --profile 1 > /dev/null 2>&1
  background "$work/c" assign C --macro H --profile 1
  jitter
  run slots --profile 2 > /dev/null 2>&1 || true
  wait
  macros=$(keys_in 1 macro)
  [ "$(holds Z "$macros")" = 1 ] || case_lost=$((case_lost + 1))
  truthful "$work/c" "$(holds C "$macros")" || case_false=$((case_false + 1))
done
report overwrite "$case_lost" "$case_false"

case_lost=0 case_false=0
for ((i = 0; i < rounds; i++)); do
  fresh
  background "$work/a" assign A --macro G --profile 1
  jitter
  background "$work/b" assign B --macro H --profile 1
  wait
  macros=$(keys_in 1 macro)
  for key in A B; do
    present=$(holds "$key" "$macros")
    [ "$present" = 1 ] || case_lost=$((case_lost + 1))
    truthful "$work/${key,,}" "$present" || case_false=$((case_false + 1))
  done
done
report same "$case_lost" "$case_false"

case_lost=0 case_false=0
for ((i = 0; i < rounds; i++)); do
  fresh
  run remap X Y --profile 1 > /dev/null 2>&1
  background "$work/q" remap Q W --profile 1
  jitter
  background "$work/r" remap R T --profile 2
  wait
  first=$(keys_in 1 remap)
  second=$(keys_in 2 remap)
  [ "$(holds X "$first")" = 1 ] || case_lost=$((case_lost + 1))
  truthful "$work/q" "$(holds Q "$first")" || case_false=$((case_false + 1))
  truthful "$work/r" "$(holds R "$second")" || case_false=$((case_false + 1))
  [ "$(holds Q "$first")" = 1 ] && [ "$(holds R "$second")" = 1 ] || case_lost=$((case_lost + 1))
done
report profiles "$case_lost" "$case_false"

if ((lost + false_reports)); then
  echo "stress-keyboard: FAILED: $lost lost, $false_reports false reports" >&2
  exit 1
fi
echo "stress-keyboard: nothing lost, every report true"
