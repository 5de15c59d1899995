#!/usr/bin/env bash
# Renders keyloom's main window into docs/screenshots/ with the program itself (keyloom
# --screenshot), talking to the simulated keyboard on the offscreen platform: English and Chinese,
# at 100 % (main-en.png, main-cn.png) and at 200 % (main-en@2x.png, main-cn@2x.png). The language
# comes from a copy of data/config.xml with <local language="..."/> changed.
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
