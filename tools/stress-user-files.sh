#!/usr/bin/env bash
# Races keyloomctl against itself on the user's macro library, as a person with two terminals, a
# script and the window open at once would:
#
#   tools/stress-user-files.sh [ROUNDS] [BUILD_DIR]     (default 50 rounds, build/dev)
#
# Each round starts from a library holding one group "Doomed" in a fresh data folder, then runs at
# once four `macros add`, one `macros delete Doomed` and a fifth `macros add`. Afterwards every
# command's report must hold: an add that said done left its group in the library, a delete
# that said done left no "Doomed", and a command that failed changed nothing. It prints the
# figures and ends with status 1 when a group was lost or a report was false.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-50}
build=${2:-build/dev}
program="$build/bin/keyloomctl"
[ -x "$program" ] || { echo "stress-user-files: no $program; build it first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

commands=0 losses=0 false_reports=0
for ((round = 1; round <= rounds; round++)); do
  dir="$work/$round"
  mkdir -p "$dir"
  "$program" --data-dir "$dir" macros add Doomed > /dev/null

  names=(add-1 add-2 add-3 add-4 add-5)
  pids=()
  for name in "${names[@]:0:4}"; do
    "$program" --data-dir "$dir" macros add "$name" > "$dir/$name.out" 2>&1 &
    pids+=($!)
  done
  "$program" --data-dir "$dir" macros delete Doomed > "$dir/delete.out" 2>&1 &
  pids+=($!)
  "$program" --data-dir "$dir" macros add add-5 > "$dir/add-5.out" 2>&1 &
  pids+=($!)
  statuses=()
  for pid in "${pids[@]}"; do
    if wait "$pid"; then statuses+=(0); else statuses+=(1); fi
  done
  commands=$((commands + ${#pids[@]}))

  list=$("$program" --data-dir "$dir" macros list)
  # The order of `statuses`: the four adds, the delete, the fifth add.
  add_statuses=("${statuses[@]:0:4}" "${statuses[5]}")
  for i in "${!names[@]}"; do
    present=1
    grep -qF "\"${names[$i]}\"" <<< "$list" || present=0
    if [ "${add_statuses[$i]}" -eq 0 ] && [ "$present" -eq 0 ]; then
      losses=$((losses + 1))
      false_reports=$((false_reports + 1))
      echo "round $round: '${names[$i]}' was reported added but is missing" >&2
    elif [ "${add_statuses[$i]}" -ne 0 ] && [ "$present" -eq 1 ]; then
      false_reports=$((false_reports + 1))
      echo "round $round: '${names[$i]}' was reported failed but is there" >&2
    fi
  done
  gone=1
  grep -qF '"Doomed"' <<< "$list" && gone=0
  if [ "${statuses[4]}" -eq 0 ] && [ "$gone" -eq 0 ]; then
    false_reports=$((false_reports + 1))
    echo "round $round: 'Doomed' was reported deleted but is there" >&2
  elif [ "${statuses[4]}" -ne 0 ] && [ "$gone" -eq 1 ]; then
    false_reports=$((false_reports + 1))
    echo "round $round: 'Doomed' was reported not deleted but is gone" >&2
  fi
done

echo "stress-user-files: rounds $rounds, commands $commands, losses $losses, false reports $false_reports"
[ "$losses" -eq 0 ] && [ "$false_reports" -eq 0 ]
