#!/usr/bin/env bash
# Writes docs/performance.md from measurements on this machine: the machine and the date, each
# command sequence's wall time beside the sum of the pauses it must make, the time that
# FindHidInterfaces takes, the macro library's save (100 groups of 100 events), and keyloom's
# start, peak memory and idle wake-ups beside a bare Qt 6 window (bench/gui/startup.sh), each
# figure beside its target.
#
#   tools/performance-report.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR (default build/release) is configured with the release preset and the benchmarks,
# and keyloom_bench, keyloom and keyloom_bare_window are built there; RUNS (default 20) is the
# number of starts of each program. The machine should be otherwise idle: the load average is
# written into the report, with a warning when it is above 0.5 per core.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
runs=${2:-20}
report=docs/performance.md
repetitions=3

cmake --preset release -B "$build" -DKEYLOOM_BUILD_BENCHMARKS=ON > /dev/null
cmake --build "$build" --target keyloom_bench keyloom keyloom_bare_window
bench_bin="$build/bin/keyloom_bench"

calc() { awk "BEGIN { printf \"%.${2:-1}f\", $1 }"; }
# met CONDITION: "met" or "**not met**" for an awk condition.
met() { awk "BEGIN { exit !($1) }" && echo "met" || echo "**not met**"; }

# bench NAME FIELD...: the median over the repetitions of the benchmark NAME, its fields named as
# in Google Benchmark's CSV header (real_time, time_unit, counters), separated by spaces.
bench() {
  local name=$1
  shift
  "$bench_bin" --benchmark_filter="^$name(/|\$)" --benchmark_format=csv \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true 2> /dev/null |
    awk -F, -v fields="$*" '
      NR == 1 { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); column[$i] = i } next }
      $1 ~ /_median"?$/ {
        n = split(fields, wanted, " ")
        for (j = 1; j <= n; j++) printf "%s%s", $(column[wanted[j]]), (j < n ? " " : "\n")
      }'
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
cores=$(nproc)
echo "performance-report: load average $load_before on $cores cores; measuring" >&2

# The command sequences against the simulated keyboard behind HidDevice, the gate and the state
# file, with the real clock.
sequences=(
  "BM_SelectProfileAndReadSlots|profile select and slot read"
  "BM_Lighting|lighting mode"
  "BM_Remap|remap and slot read"
  "BM_MacroAssignment|macro download (28 frames) and slot read"
  "BM_FactoryRestore|factory restore"
)
sequence_rows=""
worst_overhead=0
for entry in "${sequences[@]}"; do
  name=${entry%%|*}
  read -r pauses wall overhead percent < <(bench "$name/0" pauses_ms wall_ms overhead_ms overhead_pct)
  read -r _ file_wall _ file_percent < <(bench "$name/1" pauses_ms wall_ms overhead_ms overhead_pct)
  sequence_rows+="| ${entry#*|} | $(calc "$pauses") | $(calc "$wall" 2) | $(calc "$overhead" 2) | $(calc "$percent" 2) % | $(met "$percent < 1") | $(calc "$file_wall" 2) ms, $(calc "$file_percent" 2) % |"$'\n'
  worst_overhead=$(awk -v a="$worst_overhead" -v b="$percent" 'BEGIN { print (b > a ? b : a) }')
done

read -r find_time find_unit < <(bench BM_FindHidInterfaces real_time time_unit)
hidraw_nodes=$(find /sys/class/hidraw -mindepth 1 -maxdepth 1 2> /dev/null | wc -l)
read -r save_time save_unit save_bytes < <(bench BM_SaveLibrary100x100 real_time time_unit file_bytes)
read -r text_time text_unit < <(bench BM_LibraryToXml100x100 real_time time_unit)
read -r open_time open_unit < <(bench BM_OpenLibrary100x100 real_time time_unit)
temp_dir=${TMPDIR:-/tmp}
temp_fs=$(df -T "$temp_dir" | awk 'NR == 2 { print $2 }')

startup_log=$(mktemp)
trap 'rm -f "$startup_log"' EXIT
bench/gui/startup.sh "$build" "$runs" | tee "$startup_log" >&2
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# startup_figure PLATFORM LABEL FIELD: a field of a line of startup.sh's table for one platform,
# counted from the end of the line (1 the last), leaving out the target that ends some lines.
startup_figure() {
  awk -v platform="== $1:" -v label="$2" -v field="$3" '
    index($0, "== ") == 1 { inside = index($0, platform) == 1 }
    inside && index($0, label) == 1 {
      line = $0
      sub(/ +\(target [^)]*\)$/, "", line)
      n = split(line, fields, " ")
      print fields[n - field + 1]
    }' "$startup_log"
}

startup_rows=""
for platform in offscreen xcb; do
  ratio=$(startup_figure "$platform" "start to first paint, median" 1)
  [ -n "$ratio" ] || continue
  keyloom_start=$(startup_figure "$platform" "start to first paint, median" 3)
  bare_start=$(startup_figure "$platform" "start to first paint, median" 2)
  keyloom_memory=$(startup_figure "$platform" "peak resident memory" 3)
  bare_memory=$(startup_figure "$platform" "peak resident memory" 2)
  keyloom_switches=$(startup_figure "$platform" "context switches while idle" 2)
  bare_switches=$(startup_figure "$platform" "context switches while idle" 1)
  keyloom_polls=$(startup_figure "$platform" "poll calls while idle" 2)
  bare_polls=$(startup_figure "$platform" "poll calls while idle" 1)
  startup_rows+="| $platform | start to first paint, median | $keyloom_start ms | $bare_start ms | ratio $ratio, target at most 1.5: $(met "$ratio <= 1.5") |"$'\n'
  pauses=$(startup_figure "$platform" "of which the keyboard's pauses" 1)
  own_start=$(startup_figure "$platform" "start without the keyboard's pauses" 3)
  own_ratio=$(startup_figure "$platform" "start without the keyboard's pauses" 1)
  startup_rows+="| $platform | of which the keyboard's pauses (profile select, slot read) | $pauses ms | | |"$'\n'
  startup_rows+="| $platform | start without the keyboard's pauses | $own_start ms | $bare_start ms | ratio $own_ratio, target at most 1.5: $(met "$own_ratio <= 1.5") |"$'\n'
  startup_rows+="| $platform | peak resident memory | $keyloom_memory MiB | $bare_memory MiB | ratio $(calc "$keyloom_memory / $bare_memory" 2), target at most 1.5: $(met "$keyloom_memory / $bare_memory <= 1.5") |"$'\n'
  text_start=$(startup_figure "$platform" "bare window with text: start" 2)
  text_memory=$(startup_figure "$platform" "bare window with text: memory" 2)
  startup_rows+="| $platform | the bare window with one line of text (fonts loaded): start, memory | $keyloom_start ms, $keyloom_memory MiB | $text_start ms, $text_memory MiB | ratios $(calc "$keyloom_start / $text_start" 2), $(calc "$keyloom_memory / $text_memory" 2) |"$'\n'
  startup_rows+="| $platform | wake-ups in 10 s idle: poll calls | $keyloom_polls | $bare_polls | target: none beyond the bare window's: $(met "$keyloom_polls <= $bare_polls") |"$'\n'
  startup_rows+="| $platform | context switches in 10 s idle | $keyloom_switches | $bare_switches | |"$'\n'
done

# Where the start goes: the instructions of keyloom's start to its first paint on the offscreen
# platform (callgrind; the picture cache filled by a start before), by part, counted inclusively.
# The platform's screen is Xvfb's (1920x1080), so that the window opens at its layout's size as
# on X11; on the platform's own 800x600 screen it would open scaled down.
profile_rows=""
if command -v valgrind > /dev/null && command -v callgrind_annotate > /dev/null; then
  profile=$(mktemp -d)
  mkdir -m 700 "$profile/run"
  echo '{ "screens": [ { "name": "Xvfb", "width": 1920, "height": 1080, "logicalDpi": 96 } ] }' \
    > "$profile/screen.json"
  run_start() {
    XDG_RUNTIME_DIR="$profile/run" QT_QPA_PLATFORM="offscreen:configfile=$profile/screen.json" \
      KEYLOOM_EXIT_AFTER_FIRST_PAINT=1 "$@" > /dev/null 2>&1
  }
  run_start "$build/bin/keyloom" --simulate --data-dir "$profile/data"
  run_start valgrind --tool=callgrind --callgrind-out-file="$profile/keyloom.out" \
    "$build/bin/keyloom" --simulate --data-dir "$profile/data"
  run_start valgrind --tool=callgrind --callgrind-out-file="$profile/bare.out" \
    "$build/bin/keyloom_bare_window"
  run_start env KEYLOOM_BARE_WINDOW_TEXT=1 valgrind --tool=callgrind \
    --callgrind-out-file="$profile/text.out" "$build/bin/keyloom_bare_window"
  # instructions FILE PATTERN: the inclusive count of the first function matching PATTERN, in
  # millions; every function is listed (by default the annotation leaves out the smallest).
  instructions() {
    callgrind_annotate --inclusive=yes --threshold=100 "$1" 2> /dev/null |
      awk -v pattern="$2" '
        !found && $0 ~ pattern { gsub(/,/, "", $1); printf "%.1f", $1 / 1e6; found = 1 }
        END { if (!found) printf "0.0" }'
  }
  keyloom_total=$(instructions "$profile/keyloom.out" "PROGRAM TOTALS")
  # The parts that run on threads of their own; the rest of the start is the window's thread's.
  font_configuration_pattern=":FcInit "
  # The list is filled on its thread, or at the window's first text if that comes first (under
  # callgrind the threads take turns).
  font_list_pattern="QFontDatabasePrivate::ensureFontDatabase"
  parts=(
    "fontconfig's configuration and caches, on a thread begun before the application object|$font_configuration_pattern"
    "Qt's list of the system's fonts, on a thread of its own once fontconfig is ready|$font_list_pattern"
    "the font engines of the skin's sizes and weights|QFontDatabasePrivate::findFont"
    "loading and linking the shared libraries|rtld.c:_dl_start"
    "the skins the controls use, made at their first use, and their pictures' sizes|SApplication::GetSkin\\("
    "making the windows' controls from the layouts|LayoutBuilder::CreateChildren\\(keyloom::ui::SWindow&, pugi::xml_node const&\\) "
    "laying the windows out (texts measured, with the font engines)|SWindow::LayoutTree\\(\\) "
    "the pictures' pixels (picture cache or PNG; the SVG's stamp only where the build's list lacks it)|Image::Pixels\\("
    "parsing and rendering SVG|VectorPicture::(Parse|Render)"
    "painting the first frame|SWindow::paintEvent"
  )
  for part in "${parts[@]}"; do
    count=$(instructions "$profile/keyloom.out" "${part#*|}")
    [ "${part#*|}" != "$font_list_pattern" ] || font_list=$count
    [ "${part#*|}" != "$font_configuration_pattern" ] || font_configuration=$count
    profile_rows+="| ${part%%|*} | $count M | $(calc "100 * $count / $keyloom_total") % |"$'\n'
  done
  profile_rows+="| the whole start of keyloom | $keyloom_total M | 100 % |"$'\n'
  window_thread=$(calc "$keyloom_total - $font_list - $font_configuration")
  profile_rows+="| the rest, the window's thread's own (the whole less fontconfig and the font list) | $window_thread M | $(calc "100 * $window_thread / $keyloom_total") % |"$'\n'
  profile_rows+="| the whole start of the bare window | $(instructions "$profile/bare.out" "PROGRAM TOTALS") M | |"$'\n'
  profile_rows+="| the whole start of the bare window with one line of text | $(instructions "$profile/text.out" "PROGRAM TOTALS") M | |"$'\n'
  rm -rf "$profile"
else
  profile_rows="| (valgrind is missing: apt-get install valgrind) | | |"$'\n'
fi

load_note=""
if awk -v load="${load_before%% *}" -v cores="$cores" 'BEGIN { exit !(load > 0.5 * cores) }'; then
  load_note="**The machine was busy when the measurements started (load average ${load_before%% *} on $cores cores): other builds ran beside them, so the times are higher and more spread than on an idle machine.**"
fi

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
memory=$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
debian=$(cat /etc/debian_version 2> /dev/null || echo unknown)

cat > "$report" << EOF
# Performance

Made by \`tools/performance-report.sh\` (release build, \`$build\`); do not edit by hand.

| | |
|---|---|
| date | $(date -u '+%Y-%m-%d %H:%M UTC') |
| processor | $cpu |
| cores | $cores |
| memory | $memory |
| kernel | $(uname -sr) |
| Debian | $debian |
| load average (1, 5, 15 min) | $load_before at the start, $load_after at the end |

$load_note

## Command sequences

Each sequence against the simulated keyboard behind \`HidDevice\` and the device gate, with the
real clock; the median of $repetitions repetitions of \`keyloom_bench\`. The keyboard needs the
pauses; the overhead is everything else: the transfers, the gate, and the pauses' own lateness.
Target: overhead under 1 % of the pauses, with the simulated keyboard's state in memory, which
leaves the program's own path. The last column is the same sequence as \`keyloomctl --simulate\`
runs it, with the simulated keyboard's state file, which it writes after every frame (a real
keyboard has none, but its USB transfers take their own time).

| sequence | pauses (ms) | wall time (ms) | overhead (ms) | overhead | target | with the state file |
|---|---|---|---|---|---|---|
${sequence_rows}
The largest overhead is $(calc "$worst_overhead" 2) %: the target is $(met "$worst_overhead < 1").

## Discovery

\`FindHidInterfaces\` over every HID interface of this machine ($hidraw_nodes hidraw nodes):
$(calc "$find_time" 1) $find_unit per call (median of $repetitions repetitions).

## Macro library

A library of 100 groups of 100 events ($(calc "$save_bytes / 1024" 0) KiB), in \`$temp_dir\`
($temp_fs); medians of $repetitions repetitions.

| | time | target |
|---|---|---|
| save: text, temporary file, flush to disk, rename | $(calc "$save_time" 2) $save_unit | under 5 ms: $(met "$save_time < 5") |
| the text alone | $(calc "$text_time" 2) $text_unit | |
| open and read | $(calc "$open_time" 2) $open_unit | |

## keyloom's start beside a bare Qt 6 window

\`bench/gui/startup.sh\`: $runs starts of each program to its first painted window, the
programs in turn and each start 0.3 s after the one before (so that a drift of the machine's speed
favours none of them, and the X server has finished with the program before), peak resident
memory, and the wake-ups while the window sits idle for 10 s; on the offscreen platform,
and on X11 under Xvfb where \`xvfb-run\` is installed. Targets: a start at most 1.5 times the
bare window's, and no wake-ups beyond the bare window's while idle. The main window paints
first and then selects the profile and reads the key slots, with the pauses the keyboard needs
between frames; pauses before the first paint, if any, are shown apart. keyloom's runtime
folder, where its single-instance lock is written, is in memory (/dev/shm) as a desktop
session's /run/user/UID is (before December 10, 2026 it was on the disk, and the lock
file's sync to it took 1 to 3 ms of keyloom's start). On the offscreen platform's own 800x600
screen keyloom's window opens scaled down to fit, which the bare window does not.

| platform | figure | keyloom | bare window | target |
|---|---|---|---|---|
${startup_rows}
The script's own output:

\`\`\`
$(cat "$startup_log")
\`\`\`

## Where the start goes

Instructions from keyloom's start to its first paint on the offscreen platform with a screen of
Xvfb's size, where the window opens at its layout's size (callgrind, both threads), the skin's
pictures cached by a start before; each part counts what it calls, so parts
overlap (the layout measures the texts with the font engines). fontconfig reads its
configuration and caches on a thread begun before the application object, while Qt starts; Qt's
font list is then filled on a thread of its own while the window's thread reads the skin and
makes the controls, which are laid out once they are all there; their first text waits for the
list. The font list is what any window with text pays: see the bare window with one line of text
above.

| part | instructions | share |
|---|---|---|
${profile_rows}
Before the skin's pictures were made at build time (commit d550417, same machine): 407.1 M
instructions to the first paint, of which parsing the skin's SVG 92.0 M (22.6 %), rendering it
146.0 M (35.9 %), and the fonts 72.4 M (17.8 %). Before the layout was done once per window and
the font list filled on its own thread (commit b624ae6): 147.7 M, all on the window's thread, of
which the fonts 65.0 M (the font list 45.2 M) and making the windows 84.8 M (every control's
siblings placed again, their texts measured, at each of its attributes; the fonts included).
Before the main window drew its content straight at its layout's size rather than always through
a scaled view (commit 93dc5ea, on this screen): 93.5 M on the window's thread, the content
painted twice, into a buffer of its own and then through the view. Before the skins were made at
their first use (commit 449765d): the skin's definition made all 74 of its skins at once, 6.1 M,
reading the file of each of its 69 pictures and its declared size.

Under X11 the instructions tell only part of it: there, until commit ac678f3, the window opened
under the pointer repainted whole at once after its first paint (the pointer entering it), and
that second paint waited for the X server to take in the first; with Xvfb on this machine, some
40 ms of the start. Nor do they show the waits and the files, which marks of the wall-clock time
in the program and the kernel's scheduler events found: until commit 2ee37bb the window's thread
waited 8 to 10 ms at the first control's text for the session bus, which Qt's accessibility
bridge opens then (with no bus running, as under \`xvfb-run\`, D-Bus forks to look for
dbus-launch; the bare window waits the same at its show); it is now opened on a thread of its own
as soon as the application object is made. Until commit e268d7d the window's icon property (the
logo at 64 and 128 pixels) was made while the window was shown, a third of the show; the logo now
follows the first paint. Until commit 6d8de50 the start opened 61 SVG files, to read the size
each picture declares and, when first drawn, to hash it for the key of its cached pixels; the
build now lists both in \`uires/rasters.idx\`. Until commit fc31a2f that D-Bus fork also ran
where dbus-launch is nowhere to be found (as on this machine), so that it could only fail; a
fork of a program with threads and a window's memory makes every page written afterwards fault
again or be copied, on both threads: 7 to 9 ms of the start. Where no bus and no launcher can be
found, keyloom now gives D-Bus, before Qt starts, an address it refuses at once; the bare window,
a plain Qt program, still forks (some 5 ms of its show here). Until commit 0b7ba7f every picture
was drawn with smoothing on, which sent even the keyboard picture, drawn pixel for pixel, through
Qt's filtering path in bands on its thread pool (two threads started at the first paint, and the
window's thread waiting for them): 1.2 ms of the first paint. Until commit f243439 the file times
of the pictures were read as local times, and glibc looked at the time zone file twice for each
(89 stats in a start). Until commit 5010d44 Qt's font list, begun once the application object
existed, was the longest path of the start (15 to 19 ms on its thread, the window's thread
waiting for it at the first text); fontconfig's half of it now runs while Qt starts.
EOF
echo "performance-report: wrote $report" >&2
