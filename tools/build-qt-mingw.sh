#!/usr/bin/env bash
# Builds Qt for 64-bit Windows with MinGW-w64 from Debian's qt6-base source, once, into a cache
# folder outside the checkout; the windows preset finds it there (cmake/toolchains). Debian
# ships no MinGW build of Qt.
#
#   tools/build-qt-mingw.sh          build it unless the cache holds this build already
#   tools/build-qt-mingw.sh --print  print the cache folder and end
#
# The cache folder is $KEYLOOM_QT_MINGW_DIR, else ~/.cache/keyloom/qt6-mingw-VERSION. Its stamp
# file names the source version and the options; a cache of another version or other options is
# built again. The source is the version of the host's qt6-base-dev, whose tools (moc, rcc, uic)
# the cross build uses. Only Core, Gui and Widgets and the qwindows platform plugin are built;
# about 15-30 minutes on two cores (needs the packages that tools/dev.sh installs:
# qt6-base-dev, g++-mingw-w64-x86-64-posix, cmake, ninja-build, dpkg-dev).
set -euo pipefail
cd "$(dirname "$0")/.."

debian_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
upstream_version=${debian_version%%+*}
upstream_version=${upstream_version%%-*}
prefix=${KEYLOOM_QT_MINGW_DIR:-$HOME/.cache/keyloom/qt6-mingw-$upstream_version}
if [ "${1:-}" = --print ]; then
  echo "$prefix"
  exit 0
fi

# Everything the program does not use is left out, which halves the build. The Windows platform
# plugin cannot have tablet events: Debian's source drops the wintab header; without OpenGL it
# needs dynamic OpenGL switched off too, and without FreeType the DirectWrite 3 font database
# (GDI's is the default anyway). The third-party
# libraries are Qt's own copies, so that no MinGW build of them is needed.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_network=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_opengl=OFF
  -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_testlib=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_tabletevent=OFF
  -DFEATURE_direct2d=OFF
  -DFEATURE_directwrite3=OFF
  -DFEATURE_freetype=OFF
  -DFEATURE_fontconfig=OFF
  -DFEATURE_jpeg=OFF
  -DFEATURE_gif=OFF
  -DFEATURE_ico=OFF
  -DFEATURE_icu=OFF
  -DFEATURE_glib=OFF
  -DFEATURE_zstd=OFF
  -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_doubleconversion=OFF
  -DFEATURE_system_md4c=OFF
)
# The host's Qt tools and the compiler, for the stamp and the configure step.
toolchain_text="set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
"
compiler_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
stamp_text="qt6-base $debian_version
x86_64-w64-mingw32-g++-posix $compiler_version
${options[*]}
$toolchain_text"
stamp=$prefix/keyloom-qt.stamp

# Compared as command substitutions both, which drop the trailing line breaks alike.
stamp_matches() { [ -f "$1" ] && [ "$(cat "$1")" = "$(printf '%s' "$stamp_text")" ]; }
if stamp_matches "$stamp"; then
  echo "build-qt-mingw: Qt $debian_version for MinGW-w64 is in $prefix (cached)"
  exit 0
fi

start=$(date +%s)
# The build folder beside the cache: kept when a step fails, with its log, and taken up again by
# the next run when it was made with the same options.
work=$prefix.build
log=$work/build.log
if [ -f "$work/build/build.ninja" ] && stamp_matches "$work/keyloom-qt.stamp"; then
  echo "build-qt-mingw: taking up the build in $work"
  resume=1
else
  if [ -e "$prefix" ]; then
    echo "build-qt-mingw: $prefix holds another build; building Qt $debian_version again"
  else
    echo "build-qt-mingw: building Qt $debian_version for MinGW-w64 into $prefix"
  fi
  rm -rf "$work"
  mkdir -p "$work"
  resume=0
fi
rm -rf "$prefix"

# Each step's output goes to the log; a failing step shows the compiler's errors from it.
step() {
  echo "build-qt-mingw: $1"
  shift
  if ! "$@" >> "$log" 2>&1; then
    grep -E -A12 '^FAILED:|error:|Error' "$log" | tail -n 120 >&2
    echo "build-qt-mingw: failed; the whole log is $log" >&2
    exit 1
  fi
}
if [ "$resume" = 0 ]; then
  tools/fetch-debian-source.sh qt6-base "$work/src" "$debian_version"
  printf '%s' "$toolchain_text" > "$work/toolchain.cmake"
  step "configuring" cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${options[@]}"
  printf '%s' "$stamp_text" > "$work/keyloom-qt.stamp"
fi
# The platform plugin first: it is what fails when the system headers lack something.
step "compiling Core, Gui and the qwindows plugin (nice, 2 jobs)" \
  nice cmake --build "$work/build" --parallel 2 --target QWindowsIntegrationPlugin
step "compiling Widgets and the style plugin (nice, 2 jobs)" \
  nice cmake --build "$work/build" --parallel 2
step "installing" cmake --install "$work/build"
# The installed qt.toolchain.cmake loads the toolchain it was built with: a copy stays in the
# cache, since the build folder goes.
cp "$work/toolchain.cmake" "$prefix/mingw-toolchain.cmake"
sed -i "s|$work/toolchain.cmake|$prefix/mingw-toolchain.cmake|g" \
  "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
printf '%s' "$stamp_text" > "$stamp"
rm -rf "$work"
end=$(date +%s)
echo "build-qt-mingw: Qt $debian_version for MinGW-w64 built into $prefix in" \
  "$(((end - start) / 60)) min $(((end - start) % 60)) s"
