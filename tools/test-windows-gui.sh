#!/usr/bin/env bash
# Keyloom's window on Windows, under Wine on an X server of its own (Xvfb, 1366 x 768): the
# portable package (tools/package-windows.sh) unpacked into a scratch folder, keyloom.exe on the
# simulated keyboard, driven as a user drives it (xdotool moves and clicks the mouse; the build's
# send_keys.exe injects keystrokes with SendInput). tools/test-windows.sh runs it after the unit
# tests; it needs the packages that tools/dev.sh installs (wine, xvfb, xdotool, imagemagick,
# x11-utils).
#
#   tools/test-windows-gui.sh [BUILD_DIR] [LINUX_BUILD_DIR]   default build/windows, build/dev
#
# Each test prints "ok NAME" or "FAIL NAME: why"; the status is 1 when one failed.
#   screenshot    keyloom.exe --simulate --screenshot FILE and --screenshot-dialog F5 FILE end
#                 with 0 and save the window and the dialog at their layouts' sizes; the window is
#                 the Linux program's picture (LINUX_BUILD_DIR) but for the fonts: at most 4 % of
#                 the pixels differ clearly
#   second_start  with the first window hidden to the tray, a second start ends with 0 and the
#                 first window is shown again (the named mutex and the window property)
#   key_click     a click on F5 opens the key assignment dialog, OK gives F5 the macro "Copy":
#                 the transfers on standard error (--trace) are the Linux program's, line for
#                 line, and keyloomctl.exe reads the macro back from the simulated keyboard
#   hook          "Start record" in the dialog records the keys that another program injects
#                 with SendInput (the low-level keyboard hook): they land in the macro library
#   tray          while keyloom.exe runs, its icon is in Wine's tray (the "Wine System Tray"
#                 window, which Wine shows only while it holds an icon)
#
# The pictures of the screenshot test stay in BUILD_DIR/gui-tests (main.png, dialog.png, and the
# Linux program's main-linux.png), with each test's output.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/windows}
linux_build=${2:-build/dev}
work=$PWD/$build/gui-tests

# Under Xvfb (the script runs itself there, below).
if [ "${3:-}" != --under-xvfb ]; then
  rm -rf "$work"
  mkdir -p "$work"
  zip=$(tools/package-windows.sh "$build")
  (cd "$work" && cmake -E tar xf "$zip")
  exec xvfb-run -a -s "-screen 0 1366x768x24" "$0" "$build" "$linux_build" --under-xvfb
fi

package=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'keyloom-*')
export WINEPREFIX=$PWD/$build/wine WINEDEBUG=-all
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
send_keys=$PWD/$build/bin/send_keys.exe
# The Linux program's runtime folder (its single instance), apart from any Keyloom that runs.
mkdir -m 700 "$work/run"

# One Wine server for the run, started here where DISPLAY names the X server: Wine's desktop
# process, which owns the tray, takes the display of the server's first program.
"$wineserver" -k 2> /dev/null || true
"$wineserver" -w
"$wineserver" -p
trap '"$wineserver" -k 2> /dev/null || true' EXIT
"$wine" cmd /c exit < /dev/null > "$work/wine-start.log" 2>&1

failed=0
pass() { echo "ok $1"; }
fail() {
  echo "FAIL $1: $2"
  failed=1
}

# A Windows path of a Unix one, on Wine's drive Z: (the Unix root).
windows_path() { echo "Z:$1"; }

# Starts keyloom.exe in the background with the arguments given, standard output and error into
# $work/NAME.out and NAME.err; sets keyloom_pid.
start_keyloom() {
  local name=$1
  shift
  "$wine" "$package/keyloom.exe" "$@" > "$work/$name.out" 2> "$work/$name.err" &
  keyloom_pid=$!
}

# Ends keyloom.exe as closing its window does (taskkill sends WM_CLOSE), so that it takes its
# icon out of the tray; the process is killed when it has not ended 20 s later.
stop_process() {
  "$wine" taskkill /im keyloom.exe > /dev/null 2>&1 || true
  for _ in $(seq 100); do
    kill -0 "$1" 2> /dev/null || break
    sleep 0.2
  done
  kill "$1" 2> /dev/null || true
  wait "$1" 2> /dev/null || true
}

# The visible top-level window whose name matches, waited for up to 60 s; empty when none came.
find_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return
    fi
    sleep 0.2
  done
}

# Waits up to 30 s until the named visible window has gone.
window_gone() {
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}

# Waits up to 60 s for the line in the file (Windows ends its lines with CR LF).
wait_for_line() {
  for _ in $(seq 300); do
    tr -d '\r' < "$1" 2> /dev/null | grep -qxF "$2" && return 0
    sleep 0.2
  done
  return 1
}

# A small macro library and the dialog's last choices (the macro page, "Copy" chosen).
user_files() {
  mkdir -p "$1"
  cat > "$1/macro.xml" << 'XML'
<?xml version="1.0" encoding="UTF-8"?>
<group>
	<items name="Copy">
		<item code="224" name="Ctrl Left" state="0" delay="35" />
		<item code="6" name="C" state="0" delay="60" />
		<item code="6" name="C" state="1" delay="20" />
		<item code="224" name="Ctrl Left" state="1" delay="0" />
	</items>
	<items name="Reload">
		<item code="62" name="F5" state="0" delay="25" />
		<item code="62" name="F5" state="1" delay="0" />
	</items>
</group>
XML
  cat > "$1/store.xml" << 'XML'
<?xml version="1.0"?>
<macro page="0" repeat="1" delay="10" dlymode="0" mediasel="4" functsel="4" sgcode="41" groupsel="0" />
XML
}

# Positions of the layouts, at the window's layout size (1180 x 720, which fits the screen): F5
# on the keyboard picture at 410,180; "Hide to tray" 76 from the right edge, 28 from the top; the
# key assignment dialog (900 x 660) centred over the window, its OK 82 from its right edge and
# 634 from its top, its "Start record" at 138,574.
window_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  dialog_x=$((X + (WIDTH - 900) / 2))
  dialog_y=$((Y + (HEIGHT - 660) / 2))
}
click() {
  xdotool mousemove "$1" "$2" click 1
}

# Clicks F5 and, once the dialog is there, its OK; the program's standard error is in ERR.
click_f5_and_ok() {
  local window=$1
  window_geometry "$window"
  click $((X + 410)) $((Y + 180))
  sleep 4
  click $((dialog_x + 900 - 82)) $((dialog_y + 634))
  sleep 3
}

test_screenshot() {
  local status=0 data=$work/screenshot
  mkdir -p "$data"
  "$wine" "$package/keyloom.exe" --simulate --data-dir "$(windows_path "$data")" \
    --screenshot "$(windows_path "$work/main.png")" > "$work/screenshot.out" \
    2> "$work/screenshot.err" || status=$?
  if [ "$status" -ne 0 ]; then
    fail screenshot "keyloom.exe --screenshot ended with $status"
    return
  fi
  local size
  size=$(identify -format '%wx%h' "$work/main.png" 2> /dev/null || echo none)
  if [ "$size" != 1180x720 ]; then
    fail screenshot "the picture is $size, not the layout's 1180x720"
    return
  fi
  user_files "$data"
  status=0
  "$wine" "$package/keyloom.exe" --simulate --data-dir "$(windows_path "$data")" \
    --screenshot-dialog F5 "$(windows_path "$work/dialog.png")" > "$work/screenshot-dialog.out" \
    2> "$work/screenshot-dialog.err" || status=$?
  size=$(identify -format '%wx%h' "$work/dialog.png" 2> /dev/null || echo none)
  if [ "$status" -ne 0 ] || [ "$size" != 900x660 ]; then
    fail screenshot "keyloom.exe --screenshot-dialog ended with $status, its picture is $size"
    return
  fi
  if [ ! -x "$linux_build/bin/keyloom" ]; then
    fail screenshot "no Linux program in $linux_build to compare with"
    return
  fi
  env -u QT_SCALE_FACTOR QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/run" \
    "$linux_build/bin/keyloom" --simulate --data-dir "$work/screenshot-linux" \
    --screenshot "$work/main-linux.png" > /dev/null 2>&1
  # Pixels that differ by more than 25 % of the colour range: text drawn by another font engine
  # changes a few; a missing image or control changes many.
  local differing total share
  differing=$(compare -metric AE -fuzz 25% "$work/main.png" "$work/main-linux.png" null: 2>&1 || true)
  total=$((1180 * 720))
  share=$(awk -v d="$differing" -v t="$total" 'BEGIN { printf "%.2f", 100 * d / t }')
  if awk -v s="$share" 'BEGIN { exit !(s > 4) }'; then
    fail screenshot "$share % of the pixels differ from the Linux program's picture"
    return
  fi
  pass "screenshot ($share % of the pixels differ from Linux)"
}

test_second_start() {
  local data=$work/instance
  user_files "$data"
  KEYLOOM_REPORT_INSTANCE=1 start_keyloom instance-first --simulate \
    --data-dir "$(windows_path "$data")"
  local first=$keyloom_pid
  if ! wait_for_line "$work/instance-first.out" "instance: first"; then
    fail second_start "the first start did not take the instance"
    stop_process "$first"
    return
  fi
  local window
  window=$(find_window '^Keyloom$')
  if [ -z "$window" ]; then
    fail second_start "the first start shows no window"
    stop_process "$first"
    return
  fi
  sleep 2
  window_geometry "$window"
  click $((X + WIDTH - 76)) $((Y + 28))
  if ! window_gone '^Keyloom$'; then
    fail second_start "\"Hide to tray\" did not hide the window"
    stop_process "$first"
    return
  fi
  local status=0
  timeout 60 "$wine" "$package/keyloom.exe" --simulate --data-dir "$(windows_path "$data")" \
    > "$work/instance-second.out" 2> "$work/instance-second.err" || status=$?
  if [ "$status" -ne 0 ]; then
    fail second_start "the second start ended with $status (124: it ran on as a first instance)"
  elif [ -z "$(find_window '^Keyloom$')" ]; then
    fail second_start "the second start ended with 0, but the first window stayed hidden"
  else
    pass second_start
  fi
  stop_process "$first"
}

# The transfers of a run's trace: the lines of the frames sent and read and of the pauses.
transfers() {
  grep -E '^(set|get|pause) ' "$1" || true
}

test_key_click() {
  local data=$work/click
  user_files "$data"
  start_keyloom click --simulate --trace --data-dir "$(windows_path "$data")"
  local keyloom=$keyloom_pid window
  window=$(find_window '^Keyloom$')
  if [ -z "$window" ]; then
    fail key_click "keyloom.exe shows no window"
    stop_process "$keyloom"
    return
  fi
  sleep 1
  click_f5_and_ok "$window"
  stop_process "$keyloom"
  local slots
  slots=$("$wine" "$package/keyloomctl.exe" --simulate --data-dir "$(windows_path "$data")" \
    slots 2> /dev/null | tr -d '\r' || true)
  echo "$slots" > "$work/click-slots.txt"
  if ! grep -q 'F5' <<< "$slots"; then
    fail key_click "keyloomctl.exe finds no assignment of F5 on the simulated keyboard"
    return
  fi
  if [ ! -x "$linux_build/bin/keyloom" ]; then
    fail key_click "no Linux program in $linux_build to compare the trace with"
    return
  fi
  # The same on Linux, on the same X server.
  local linux_data=$work/click-linux
  user_files "$linux_data"
  env -u QT_SCALE_FACTOR -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/run" \
    "$linux_build/bin/keyloom" --simulate --trace --data-dir "$linux_data" \
    > "$work/click-linux.out" 2> "$work/click-linux.err" &
  keyloom=$!
  window=$(find_window '^Keyloom$')
  if [ -z "$window" ]; then
    fail key_click "the Linux program shows no window"
    stop_process "$keyloom"
    return
  fi
  sleep 1
  click_f5_and_ok "$window"
  stop_process "$keyloom"
  transfers "$work/click.err" | tr -d '\r' > "$work/click.transfers"
  transfers "$work/click-linux.err" > "$work/click-linux.transfers"
  if ! grep -q '^set 07f1' "$work/click.transfers"; then
    fail key_click "keyloom.exe sent no record download (0xF1) to the keyboard"
  elif ! diff -u "$work/click-linux.transfers" "$work/click.transfers" > "$work/click.diff"; then
    fail key_click "the transfers differ from the Linux program's (see $work/click.diff)"
  else
    pass "key_click ($(wc -l < "$work/click.transfers") transfers as on Linux)"
  fi
}

test_hook() {
  local data=$work/hook
  user_files "$data"
  start_keyloom hook --simulate --data-dir "$(windows_path "$data")"
  local keyloom=$keyloom_pid window
  window=$(find_window '^Keyloom$')
  if [ -z "$window" ]; then
    fail hook "keyloom.exe shows no window"
    stop_process "$keyloom"
    return
  fi
  sleep 1
  window_geometry "$window"
  click $((X + 410)) $((Y + 180))
  sleep 4
  click $((dialog_x + 138)) $((dialog_y + 574))
  sleep 1
  # H and I (virtual keys 0x48 and 0x49), which the library's "Copy" does not hold.
  local status=0
  "$wine" "$send_keys" 0x48 0x49 > "$work/send-keys.out" 2>&1 || status=$?
  sleep 1
  click $((dialog_x + 138)) $((dialog_y + 574))
  sleep 1
  stop_process "$keyloom"
  if [ "$status" -ne 0 ]; then
    fail hook "send_keys.exe ended with $status"
  elif ! grep -q 'code="11" name="H" state="0"' "$data/macro.xml" ||
    ! grep -q 'code="12" name="I" state="1"' "$data/macro.xml"; then
    fail hook "the injected H and I are not in the recorded macro (see $data/macro.xml)"
  else
    pass hook
  fi
}

test_tray() {
  local data=$work/tray
  mkdir -p "$data"
  if ! window_gone '^Wine System Tray$'; then
    fail tray "Wine's tray shows before keyloom.exe runs"
    return
  fi
  start_keyloom tray --simulate --data-dir "$(windows_path "$data")"
  local keyloom=$keyloom_pid tray
  tray=$(find_window '^Wine System Tray$')
  if [ -z "$tray" ]; then
    fail tray "no icon came into Wine's tray"
  else
    pass tray
  fi
  stop_process "$keyloom"
}

test_screenshot
test_second_start
test_key_click
test_hook
test_tray
exit "$failed"
