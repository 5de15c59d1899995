#!/usr/bin/env bash
# The Windows build: cross-compiles keyloom.exe, keyloomctl.exe and the test suites with
# MinGW-w64 (preset "windows", build/windows), runs the tests under Wine, then packs the portable
# zip and tests keyloom.exe from it under Wine on Xvfb (tools/test-windows-gui.sh, which compares
# with the Linux program of build/dev). tools/dev.sh test runs it; it needs the packages that
# dev.sh installs (g++-mingw-w64-x86-64-posix, mingw-w64-x86-64-dev, wine64, wine, googletest,
# dpkg-dev, xvfb, xdotool, imagemagick).
#
# Qt for MinGW-w64 is built first when its cache folder does not hold it yet
# (tools/build-qt-mingw.sh: 15-30 minutes once). The first configure fetches the pugixml source
# package (tools/fetch-debian-source.sh) and sets up Wine's prefix in build/windows/wine.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "==== Windows: Qt for MinGW-w64 ===="
tools/build-qt-mingw.sh
echo "==== Windows: MinGW-w64 cross build, tests under Wine ===="
cmake --preset windows
cmake --build --preset windows

# One Wine server for the whole run, ended with it. The first program of a Wine session makes
# Wine run wineboot, which sets the prefix up where configure has not and starts Wine's services
# (plugplay, winedevice with its virtual HID keyboard and mouse: seconds). A program that does
# nothing is that first program here, alone, so that test discovery and every test program then
# start at once; the tests run once, and a failure is a failure. (Running wineboot by hand on top
# starts the services twice, and Wine's HID devices vanish some seconds later.)
export WINEPREFIX="$PWD/build/windows/wine" WINEDEBUG=-all
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
# A server of this prefix that is still running (configure's set-up, an earlier run) would make
# the persistent one fail to start: end it first.
"$wineserver" -k 2> /dev/null || true
"$wineserver" -w
"$wineserver" -p
trap '"$wineserver" -k || true' EXIT
# The services keep the standard streams they were started with: a log file, not the caller's
# pipe, which would then stay open until the server ends.
if ! "$wine" cmd /c exit < /dev/null > build/windows/wine-start.log 2>&1; then
  cat build/windows/wine-start.log
  exit 1
fi
# Now and then Wine fails to start a test program, which then ends at once without a word; a
# test is run a second time when it fails, and fails the run when it fails twice. The same tests
# run natively, once each, in the Linux builds.
ctest --preset windows --repeat until-pass:2
"$wineserver" -k 2> /dev/null || true
trap - EXIT

echo "==== Windows: the package's keyloom.exe under Wine on Xvfb ===="
tools/test-windows-gui.sh build/windows build/dev
