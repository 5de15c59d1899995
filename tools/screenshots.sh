#!/usr/bin/env bash
# Renders keyloom's main window into docs/screenshots/ with the program itself (keyloom
# --screenshot), talking to the simulated keyboard on the offscreen platform: English and Chinese,
# at 100 % (main-en.png, main-cn.png) and at 200 % (main-en@2x.png, main-cn@2x.png). The language
# comes from a copy of data/config.xml with <local language="..."/> changed. Then the key
# assignment dialog (keyloom --screenshot-dialog): its four pages in English, its macro and
# shortcut pages in Chinese (dialog-en-0.png ... dialog-en-3.png, dialog-cn-0.png, dialog-cn-3.png).
#
#   tools/screenshots.sh [BUILD_DIR]      default build/release, configured and built here
#
# The texts need the skin's fonts (Debian: fonts-noto-core, fonts-noto-cjk; tools/dev.sh installs
# them).
set -euo pipefail
cd "$(dirname "$0")/.."

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
  sed "s/<local language=\"[^\"]*\"/<local language=\"$language\"/" data/config.xml >"$config"
  if ! grep -q "<local language=\"$language\"/>" "$config"; then
    echo "screenshots.sh: data/config.xml has no <local language=\"...\"/> to change" >&2
    exit 1
  fi
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
