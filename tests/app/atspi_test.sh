#!/usr/bin/env bash
# Runs atspi_journey.py (beside this script) against the keyloom of BIN_DIR under an X server and
# a D-Bus session of its own, with the accessibility bus of at-spi2-core. It needs xvfb, xdotool,
# dbus, at-spi2-core and python3-pyatspi (tools/dev.sh installs them). Where one is missing it is
# skipped (status 77) with a line that names it, except under CI, where that fails.
#
#   tests/app/atspi_test.sh BIN_DIR
set -euo pipefail
bin=${1:?usage: atspi_test.sh BIN_DIR}
here=$(cd "$(dirname "$0")" && pwd)

missing=()
for program in Xvfb xdotool dbus-run-session dbus-send; do
  command -v "$program" >/dev/null || missing+=("$program")
done
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi2-core)
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
if ((${#missing[@]})); then
  echo "atspi: missing ${missing[*]}"
  if [ "${CI:-}" = true ]; then
    exit 1
  fi
  echo "atspi: SKIPPED: install the Debian packages xvfb xdotool dbus at-spi2-core python3-pyatspi"
  exit 77
fi

# An X server of its own, 1400 x 900 (room for the main window at its layout's size), on a display
# number that Xvfb picks free itself (-displayfd), so that servers started at the same time by
# other tests never share one.
if [ "${1:-}" != --in-session ]; then
  scratch=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1400x900x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -rf "$scratch"' EXIT
  for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$scratch/display" ]; then
    echo "atspi: Xvfb did not start"
    exit 1
  fi
  export DISPLAY=":$(cat "$scratch/display")"
  # The server takes clients a moment after it said it is ready; on a machine busy with a build
  # that moment can last many seconds.
  ready=false
  for _ in $(seq 600); do
    if xdotool getdisplaygeometry >/dev/null 2>&1; then
      ready=true
      break
    fi
    sleep 0.1
  done
  if [ "$ready" != true ]; then
    echo "atspi: Xvfb on $DISPLAY took no client within 60 s"
    exit 1
  fi
  dbus-run-session -- "$0" --in-session "$bin"
  exit
fi
bin=$2
# One accessibility bus for keyloom and the test: asking for its address starts it (D-Bus
# activation of at-spi-bus-launcher) before either connects, as a desktop session does.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null
/usr/bin/python3 "$here/atspi_journey.py" "$bin"
