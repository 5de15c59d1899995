#!/usr/bin/env bash
# keyloom's start-up beside a bare Qt window of the main window's size, on this machine:
#
#   start     from the moment the script starts the program to its first painted window (both
#             programs write the time of their first paint on the system clock when
#             KEYLOOM_EXIT_AFTER_FIRST_PAINT=1, then end); the files are in the page cache after
#             the first run, so this is a process start, not a start after booting
#   memory    the peak resident set size of such a run (/usr/bin/time -v, "Maximum resident set
#             size")
#   wake-ups  while the window sits idle for 10 s, after 3 s to settle: the context switches of
#             all the process's threads (/proc/PID/task/*/status, voluntary and involuntary; a
#             thread that sleeps in poll and is woken by a timer counts one), and the poll calls
#             that strace counts in the same kind of 10 s (each return from poll is a wake-up)
#
# Each program runs RUNS times (default 20), the three in turn, on the offscreen platform and, when
# xvfb-run is there, on X11 under Xvfb. keyloom runs with --simulate, a runtime and a data folder
# of its own.
#
#   bench/gui/startup.sh [BUILD_DIR] [RUNS]      BUILD_DIR default build/release, built if needed
#
# Needs: time (/usr/bin/time), strace; xvfb for the X11 figures.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build/release}
runs=${2:-20}
idle_seconds=10
settle_seconds=3
between_starts=0.3

if [ -z "${KEYLOOM_STARTUP_INNER:-}" ]; then
  if [ ! -x "$build/bin/keyloom" ] || [ ! -x "$build/bin/keyloom_bare_window" ]; then
    cmake --preset release -B "$build"
    cmake --build "$build" --target keyloom keyloom_bare_window
  fi
  for tool in /usr/bin/time strace; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing (apt-get install ${tool##*/})" >&2; exit 2; }
  done
fi

scratch=$(mktemp -d)
# The runtime folder in memory where the machine has one (/dev/shm), as a desktop session's
# /run/user/UID is: keyloom's single-instance lock file is written there, and synced to the disk
# elsewhere.
runtime=$(mktemp -d -p /dev/shm 2> /dev/null || echo "$scratch/run")
trap 'rm -rf "$scratch" "$runtime"' EXIT
mkdir -p -m 700 "$runtime"
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
keyloom=("$build/bin/keyloom" --simulate --data-dir "$scratch/data")
bare=("$build/bin/keyloom_bare_window")
# The bare window with one line of text: the system's fonts loaded, as any window with text must.
text=(env KEYLOOM_BARE_WINDOW_TEXT=1 "$build/bin/keyloom_bare_window")

now_us() { date +%s%6N; }

# Arithmetic with decimals: calc EXPRESSION [DECIMALS].
calc() { awk "BEGIN { printf \"%.${2:-1}f\", $1 }"; }

# Milliseconds from start to first paint of one start of the program.
start_time() {
  local start painted
  start=$(now_us)
  painted=$(KEYLOOM_EXIT_AFTER_FIRST_PAINT=1 "$@" 2>&1 >/dev/null |
    sed -n 's/.*first paint at \([0-9]*\) us.*/\1/p')
  [ -n "$painted" ] || { echo "startup.sh: $1 reported no first paint" >&2; exit 1; }
  calc "($painted - $start) / 1000"
}

# The three programs' starts in turn (keyloom, the bare window, the bare window with text), RUNS
# times, one line "keyloom bare text" (ms) per turn. Taking them in turn keeps a machine whose
# speed drifts over a minute (a virtual machine's neighbours) from favouring whichever program
# ran in the faster stretch; each start waits a moment first, so that the X server has finished
# with the program before.
start_times() {
  local i
  for ((i = 0; i < runs; i++)); do
    sleep "$between_starts"
    echo "$(start_time "${keyloom[@]}") $(sleep "$between_starts"; start_time "${bare[@]}") $(
      sleep "$between_starts"
      start_time "${text[@]}"
    )"
  done
}

# "median min max" of numbers, one per line.
summary() {
  sort -n | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%.1f %.1f %.1f", m, v[1], v[NR] }'
}

# The milliseconds that keyloom's start spends in the keyboard's own pauses (select the profile,
# read the key slots) before its first paint: the sum of the "pause MS" lines of --trace before
# the first paint's line. They are the keyboard's, not the program's; the window paints before
# the keyboard's start, so they are 0.
keyboard_pauses() {
  KEYLOOM_EXIT_AFTER_FIRST_PAINT=1 "$@" --trace 2>&1 >/dev/null |
    awk '/^keyloom: first paint/ { exit } $1 == "pause" { ms += $2 } END { print ms + 0 }'
}

peak_kib() {
  KEYLOOM_EXIT_AFTER_FIRST_PAINT=1 /usr/bin/time -v "$@" 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): *//p'
}

switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(non)?voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'
}

# "context-switches poll-calls" of one idle program, over idle_seconds each.
idle_wakeups() {
  "$@" >/dev/null 2>&1 &
  local pid=$! before after polls
  sleep "$settle_seconds"
  before=$(switches "$pid")
  sleep "$idle_seconds"
  after=$(switches "$pid")
  polls=$(timeout -s INT "$idle_seconds" strace -f -c -p "$pid" \
    -e trace=poll,ppoll,select,pselect6,epoll_wait,epoll_pwait 2>&1 >/dev/null |
    awk '$NF ~ /^(poll|ppoll|select|pselect6|epoll_wait|epoll_pwait)$/ { n += $4 } END { print n + 0 }')
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$((after - before)) $polls"
}

measure() {
  local platform=$1
  export QT_QPA_PLATFORM=$platform
  local k b t km bm tm kw bw pauses
  local times
  times=$(start_times)
  k=$(awk '{ print $1 }' <<<"$times" | summary)
  b=$(awk '{ print $2 }' <<<"$times" | summary)
  t=$(awk '{ print $3 }' <<<"$times" | summary)
  pauses=$(keyboard_pauses "${keyloom[@]}")
  km=$(peak_kib "${keyloom[@]}")
  bm=$(peak_kib "${bare[@]}")
  tm=$(peak_kib "${text[@]}")
  kw=$(idle_wakeups "${keyloom[@]}")
  bw=$(idle_wakeups "${bare[@]}")
  read -r kmed kmin kmax <<<"$k"
  read -r bmed bmin bmax <<<"$b"
  read -r tmed _ _ <<<"$t"
  read -r ksw kpoll <<<"$kw"
  read -r bsw bpoll <<<"$bw"
  echo
  echo "== $platform: $runs runs each, idle for ${idle_seconds} s"
  printf '%-42s %14s %14s %8s\n' "" "keyloom" "bare window" "ratio"
  printf '%-42s %14s %14s %8s  (target 1.50)\n' "start to first paint, median (ms)" "$kmed" \
    "$bmed" "$(calc "$kmed / $bmed" 2)"
  printf '%-42s %14s %14s\n' "start to first paint, min - max (ms)" "$kmin - $kmax" "$bmin - $bmax"
  printf '%-42s %14s\n' "of which the keyboard's pauses (ms)" "$pauses"
  printf '%-42s %14s %14s %8s\n' "start without the keyboard's pauses (ms)" \
    "$(calc "$kmed - $pauses")" "$bmed" "$(calc "($kmed - $pauses) / $bmed" 2)"
  printf '%-42s %14s %14s %8s  (target 1.50)\n' "peak resident memory (MiB)" \
    "$(calc "$km / 1024")" "$(calc "$bm / 1024")" "$(calc "$km / $bm" 2)"
  printf '%-42s %14s %14s %8s\n' "bare window with text: start (ms)" "$kmed" "$tmed" \
    "$(calc "$kmed / $tmed" 2)"
  printf '%-42s %14s %14s %8s\n' "bare window with text: memory (MiB)" "$(calc "$km / 1024")" \
    "$(calc "$tm / 1024")" "$(calc "$km / $tm" 2)"
  printf '%-42s %14s %14s\n' "context switches while idle" "$ksw" "$bsw"
  printf '%-42s %14s %14s\n' "poll calls while idle (strace)" "$kpoll" "$bpoll"
}

if [ -n "${KEYLOOM_STARTUP_INNER:-}" ]; then
  measure xcb
  exit 0
fi

echo "keyloom start-up on $(nproc) cores, $(uname -sr), load average $(cut -d" " -f1-3 /proc/loadavg); $build"
measure offscreen
if command -v xvfb-run >/dev/null; then
  KEYLOOM_STARTUP_INNER=1 xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$build" "$runs"
else
  echo "(xvfb-run is missing: no X11 figures; apt-get install xvfb)"
fi
