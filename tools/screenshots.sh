#!/usr/bin/env bash
# Renders keyloom's main window into docs/screenshots/ with the program itself (keyloom
# --screenshot), talking to the simulated keyboard on the offscreen platform: English and Chinese,
# at 100 % (main-en.png, main-cn.png) and at 200 % (main-en@2x.png, main-cn@2x.png). The language
# comes from a copy of data/config.xml with <local language="..."/> added. Then the key
# assignment dialog (keyloom --screenshot-dialog): its four pages in English, its macro and
# shortcut pages in Chinese (dialog-en-0.png ... dialog-en-3.png, dialog-cn-0.png,
# dialog-cn-3.png). Then, in both languages, the window without a keyboard (disconnected-*.png)
# and, under Xvfb where xvfb-run, xdotool and ImageMagick are installed, what the window says
# after F5 was given a macro (outcome-*.png), F5's tooltip then (keys-*.png), the rules of
# profiles that follow the application (rules-*.png), the factory restore's question
# (restore-*.png), and the focus marks of the keyboard alone on F5 and on the dialog's tabs
# (focus-*.png, focus-dialog-*.png).
#
#   tools/screenshots.sh [BUILD_DIR]      default build/release, configured and built here
#
# The texts need the skin's fonts (Debian: fonts-noto-core, fonts-noto-cjk; tools/dev.sh installs
# them).
set -euo pipefail
cd "$(dirname "$0")/.."

# Under Xvfb (the last part below runs this script again there): the pictures that need the
# mouse.
if [ "${2:-}" = --under-xvfb ]; then
  build=$1 language=$3 scratch=$4 out=docs/screenshots
  data="$scratch/xvfb-$language"
  mkdir -p "$data"
  cp "$scratch/dialog-$language/macro.xml" "$scratch/dialog-$language/store.xml" "$data/"
  cat >"$data/autoprofile.xml" <<'XML'
<?xml version="1.0"?>
<autoprofile enabled="1" default="1">
	<rule class="steam_app_570" exe="dota2" profile="2" />
	<rule class="Blender" exe="" profile="3" />
</autoprofile>
XML
  env -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR -u QT_QPA_PLATFORM \
    XDG_RUNTIME_DIR="$scratch/run" "$build/bin/keyloom" --simulate \
    --config "$scratch/config-$language.xml" --data-dir "$data" >/dev/null &
  keyloom=$!
  window=
  for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name Keyloom 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.2
  done
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  take() { import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$out/$1-$language.png"; echo "$out/$1-$language.png"; }
  # The dialog, 900 x 660, opens centred over the window.
  dialogX=$((X + (WIDTH - 900) / 2)) dialogY=$((Y + (HEIGHT - 660) / 2))
  xdotool mousemove $((X + 410)) $((Y + 180)) click 1
  sleep 1.5
  xdotool mousemove $((dialogX + 900 - 140 + 58)) $((dialogY + 616 + 18)) click 1
  sleep 1.5
  xdotool mousemove $((X + 20)) $((Y + HEIGHT - 20))
  sleep 0.5
  take outcome
  # F5's tooltip says what it does now (the window must have the focus for tooltips).
  xdotool windowfocus "$window"
  xdotool mousemove $((X + 400)) $((Y + 170))
  sleep 0.3
  xdotool mousemove $((X + 410)) $((Y + 180))
  sleep 2.5
  take keys
  # The rules of profiles that follow the application, from the "more" menu (its fourth item).
  xdotool mousemove $((X + WIDTH - 120)) $((Y + 28)) click 1
  sleep 1
  xdotool mousemove $((X + WIDTH - 53)) $((Y + 161)) click 1
  sleep 1.5
  take rules
  # Its Done, 140 from the right edge and 512 from the top of the 720 x 576 page.
  xdotool mousemove $((X + (WIDTH - 720) / 2 + 720 - 82)) $((Y + (HEIGHT - 576) / 2 + 530)) click 1
  sleep 0.5
  xdotool mousemove $((X + WIDTH - 244 + 110)) $((Y + HEIGHT - 54 + 16)) click 1
  sleep 1.5
  take restore
  kill "$keyloom"
  wait "$keyloom" 2>/dev/null || true
  # From the keyboard alone, in a window just opened: Tab goes to the keyboard picture (after
  # "Key list…", "Copy profile…" and the profile list) and the arrows to F5, whose focus mark
  # shows (focus-*.png); Enter opens its dialog, Tab reaches its tabs and Right the single-key
  # page, framed as the focused tab (focus-dialog-*.png); Escape cancels it. Each window gets the
  # keyboard as a window manager would give it.
  env -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR -u QT_QPA_PLATFORM \
    XDG_RUNTIME_DIR="$scratch/run" "$build/bin/keyloom" --simulate \
    --config "$scratch/config-$language.xml" --data-dir "$data" >/dev/null &
  keyloom=$!
  sleep 3
  main=$(xdotool search --onlyvisible --pid "$keyloom" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool windowfocus --sync "$main"
  xdotool key --delay 100 Tab Tab Tab Tab Right Right Right Right Right
  sleep 0.5
  take focus
  xdotool key Return
  sleep 1.5
  xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$keyloom" | grep -vx "$main" | tail -1)"
  xdotool key --delay 100 Tab Right
  sleep 1
  take focus-dialog
  xdotool key Escape
  sleep 0.5
  kill "$keyloom"
  wait "$keyloom" 2>/dev/null || true
  exit 0
fi

build=${1:-build/release}
out=docs/screenshots

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset release -B "$build"
fi
cmake --build "$build" --target keyloom

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A runtime folder of its own: a Keyloom that runs meanwhile is left alone.
mkdir -m 700 "$scratch/run"
mkdir -p "$out"

for language in en cn; do
  config="$scratch/config-$language.xml"
  { cat data/config.xml; echo "<local language=\"$language\"/>"; } >"$config"
  for scale in 1 2; do
    suffix=$([ "$scale" = 1 ] && echo "" || echo "@${scale}x")
    file="$out/main-$language$suffix.png"
    env -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR \
      QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR="$scale" XDG_RUNTIME_DIR="$scratch/run" \
      "$build/bin/keyloom" --simulate --config "$config" --data-dir "$scratch/data" \
      --screenshot "$file"
    echo "$file"
  done
done

# The key assignment dialog (keyloom --screenshot-dialog KEY FILE), as a click on F5 opens it, over
# a small macro library, with Esc as the single key, Volume up as the media key and Redo as the
# shortcut chosen before: its four pages in English (dialog-en-0.png ... dialog-en-3.png) and the
# macro and shortcut pages in Chinese (dialog-cn-0.png, dialog-cn-3.png), at 100 %.
for language in en cn; do
  config="$scratch/config-$language.xml"
  data="$scratch/dialog-$language"
  mkdir -p "$data"
  cat >"$data/macro.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<group>
	<items name="Copy">
		<item code="224" name="Ctrl Left" state="0" delay="35" />
		<item code="6" name="C" state="0" delay="60" />
		<item code="6" name="C" state="1" delay="20" />
		<item code="224" name="Ctrl Left" state="1" delay="0" />
	</items>
	<items name="Greeting">
		<item code="11" name="H" state="0" delay="48" />
		<item code="11" name="H" state="1" delay="102" />
		<item code="12" name="I" state="0" delay="51" />
		<item code="12" name="I" state="1" delay="0" />
	</items>
	<items name="Reload">
		<item code="62" name="F5" state="0" delay="25" />
		<item code="62" name="F5" state="1" delay="0" />
	</items>
</group>
XML
  cat >"$data/store.xml" <<'XML'
<?xml version="1.0"?>
<macro page="0" repeat="1" delay="10" dlymode="0" mediasel="4" functsel="4" sgcode="41" groupsel="0" />
XML
  pages=$([ "$language" = en ] && echo "0 1 2 3" || echo "0 3")
  for page in $pages; do
    file="$out/dialog-$language-$page.png"
    env -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR \
      QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch/run" \
      "$build/bin/keyloom" --simulate --config "$config" --data-dir "$data" \
      --screenshot-dialog F5 "$file" --screenshot-dialog-page "$page"
    echo "$file"
  done
done

# The window without a keyboard (disconnected-en.png, disconnected-cn.png): no simulated keyboard,
# and a configuration whose keyboard no machine has, so that none is found.
for language in en cn; do
  config="$scratch/absent-$language.xml"
  sed 's/<usb [^>]*>/<usb vid="ffff" pid="ffff" interface="-1" subdevice="-1"\/>/' \
    "$scratch/config-$language.xml" >"$config"
  file="$out/disconnected-$language.png"
  env -u QT_SCREEN_SCALE_FACTORS -u QT_AUTO_SCREEN_SCALE_FACTOR \
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$scratch/run" \
    "$build/bin/keyloom" --config "$config" --data-dir "$scratch/absent-$language" \
    --screenshot "$file" >/dev/null
  echo "$file"
done

# What the window says after a change, and the factory restore's question, as the user gets
# them: under Xvfb (a 1366 x 768 screen at 100 %), with the mouse moved by xdotool and the screen
# taken by ImageMagick's import. F5 is given the macro "Copy" (outcome-en.png, outcome-cn.png),
# the mouse rests on F5 (keys-en.png, keys-cn.png), the rules page is opened from the "more" menu
# (rules-en.png, rules-cn.png), then "Restore factory settings" is pressed (restore-en.png,
# restore-cn.png); then the keyboard alone moves the focus to F5 and into its dialog
# (focus-*.png, focus-dialog-*.png). Positions are
# those of the layouts: F5 at 410,180 of the main window, the dialog's OK 140 from its right edge
# and 616 from its top, the factory restore 244 from the window's right and 54 from its bottom.
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null ||
  ! command -v import >/dev/null; then
  echo "screenshots.sh: xvfb-run, xdotool or import is missing: no outcome and restore pictures" \
    "(apt-get install xvfb xdotool imagemagick)" >&2
  exit 0
fi
if [ "${KEYLOOM_SCREENSHOTS_INNER:-}" != 1 ]; then
  for language in en cn; do
    KEYLOOM_SCREENSHOTS_INNER=1 xvfb-run -a -s "-screen 0 1366x768x24" \
      "$PWD/tools/screenshots.sh" "$build" --under-xvfb "$language" "$scratch"
  done
fi
