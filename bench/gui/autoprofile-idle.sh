#!/usr/bin/env bash
# keyloom's wake-ups with profiles that follow the application turned on, under Xvfb: while the
# focus stays where it is, and while it changes once a second. Counted as bench/gui/startup.sh
# counts them: the context switches of all the process's threads (/proc/PID/task/*/status) and
# the poll calls that strace sees, each over IDLE seconds after 3 s to settle. The focus
# changes are what a window manager does: the root window's _NET_ACTIVE_WINDOW set with xprop,
# alternately to two windows of keyloom's own (no keyboard traffic: its own windows change
# nothing), so that the figures are the watcher's and the settle timer's alone.
#
#   bench/gui/autoprofile-idle.sh [BUILD_DIR] [IDLE]   BUILD_DIR default build/release, IDLE 10
#
# Needs: xvfb (xvfb-run), x11-utils (xprop), strace.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/release}
idle_seconds=${2:-10}
settle_seconds=3

if [ -z "${KEYLOOM_AUTOPROFILE_INNER:-}" ]; then
  for tool in xvfb-run xprop strace; do
    command -v "$tool" >/dev/null || { echo "autoprofile-idle.sh: $tool is missing" >&2; exit 2; }
  done
  if [ ! -x "$build/bin/keyloom" ] || [ ! -x "$build/bin/keyloomctl" ]; then
    cmake --preset release -B "$build"
    cmake --build "$build" --target keyloom keyloomctl
  fi
  exec env KEYLOOM_AUTOPROFILE_INNER=1 xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" \
    "$idle_seconds"
fi

scratch=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
export XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=xcb
ctl=("$build/bin/keyloomctl" --data-dir "$scratch/data" auto-profile)
"${ctl[@]}" add --class game --profile 2 >/dev/null 2>&1
"${ctl[@]}" default 1 >/dev/null 2>&1
"${ctl[@]}" on >/dev/null 2>&1

"$build/bin/keyloom" --simulate --trace --data-dir "$scratch/data" >/dev/null 2>"$scratch/trace" &
pid=$!
sleep "$settle_seconds"
mapfile -t windows < <(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
if [ "${#windows[@]}" -eq 0 ]; then
  # Without a window manager nothing lists the clients: keyloom's top-level windows are the
  # root's children that carry its WM_CLASS.
  mapfile -t windows < <(xwininfo -root -children | awk '/"keyloom"/ { print $1 }')
fi
[ "${#windows[@]}" -ge 1 ] || { echo "autoprofile-idle.sh: keyloom shows no window" >&2; exit 1; }

sum_switches() {
  awk '/^(non)?voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }' "$@" 2>/dev/null
}

# "ui-thread-switches all-switches poll-calls", each over idle_seconds of its own while "$@"
# runs: strace stops the process for every call it sees, which would add switches of its own.
# Some of Qt's threads end while the program runs, so only the UI thread's figure (whose event
# loop waits for the watcher) is taken while the focus changes.
count() {
  local ui all polls
  ui=$(sum_switches /proc/"$pid"/task/"$pid"/status)
  all=$(cat /proc/"$pid"/task/*/status 2>/dev/null | sum_switches)
  "$@"
  ui=$(($(sum_switches /proc/"$pid"/task/"$pid"/status) - ui))
  all=$(($(cat /proc/"$pid"/task/*/status 2>/dev/null | sum_switches) - all))
  "$@" &
  local helper=$!
  polls=$(timeout -s INT "$idle_seconds" strace -f -c -p "$pid" \
    -e trace=poll,ppoll,select,pselect6,epoll_wait,epoll_pwait 2>&1 >/dev/null |
    awk '$NF ~ /^(poll|ppoll|select|pselect6|epoll_wait|epoll_pwait)$/ { n += $4 } END { print n + 0 }')
  wait "$helper"
  echo "$ui $all $polls"
}

focus_changes() {
  local i
  for ((i = 0; i < idle_seconds - 1; i++)); do
    sleep 1
    xprop -root -f _NET_ACTIVE_WINDOW 32x -set _NET_ACTIVE_WINDOW "${windows[i % ${#windows[@]}]}"
  done
}

read -r idle_ui idle_all idle_polls <<<"$(count sleep "$idle_seconds")"
read -r busy_ui _ busy_polls <<<"$(count focus_changes)"
settled=$(($(grep -c '^focus "' "$scratch/trace" || true) / 2))

echo "keyloom with profiles following the application, X11 (Xvfb), ${idle_seconds} s each"
printf '%-44s %14s %14s\n' "" "focus stays" "changes 1/s"
printf '%-44s %14s %14s\n' "context switches, UI thread" "$idle_ui" "$busy_ui"
printf '%-44s %14s %14s\n' "context switches, all threads" "$idle_all" "-"
printf '%-44s %14s %14s\n' "poll calls (strace)" "$idle_polls" "$busy_polls"
printf '%-44s %14s %14s\n' "settled focus changes per 10 s (--trace)" "0" "$settled"
