#!/usr/bin/env bash
# Packs the Windows build into a portable zip: keyloom.exe and keyloomctl.exe (stripped), the Qt
# DLLs, the platform and style plugins, the MinGW runtime DLLs, the skin folder "uires",
# config.xml and a short README (packaging/windows/README.txt), in one folder
# keyloom-VERSION-windows-x86_64/. Unpacked anywhere, the folder runs as it is; the user's files
# go beside the programs when that folder is writable, else to %APPDATA%\keyloom.
#
#   tools/package-windows.sh [BUILD_DIR]   default build/windows, built first (preset windows)
#
# Prints the zip's path. tools/test-windows.sh makes it and tests the unpacked copy under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/windows}
cmake --build "$build" --target keyloom keyloomctl > /dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=keyloom-$version-windows-x86_64
bin=$build/bin
staging=$build/package/$name
rm -rf "$build/package"
mkdir -p "$staging"

# Everything the programs load or read, as the build laid it out beside them.
for file in keyloom.exe keyloomctl.exe config.xml; do
  cp "$bin/$file" "$staging/"
done
cp "$bin"/*.dll "$staging/"
cp -rp "$bin/platforms" "$bin/styles" "$bin/uires" "$staging/"
x86_64-w64-mingw32-strip "$staging"/*.exe
sed 's/$/\r/' packaging/windows/README.txt > "$staging/README.txt"

# A DLL that a program or plugin links and that neither Windows nor the package has would stop
# the program at start: every import must be one of the package's or a system DLL.
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|uuid|comdlg32|imm32|winmm|ws2_32|version|netapi32|userenv|dwmapi|uxtheme|d3d11|dxgi|d3d9|d3d12|dwrite|setupapi|hid|mpr|authz|shlwapi|shcore|comctl32|msvcrt|wtsapi32|cfgmgr32|api-ms-win-.*)\.dll$'
missing=0
while IFS= read -r module; do
  while IFS= read -r dll; do
    if [ ! -e "$staging/$dll" ] && ! grep -qiE "$system_dlls" <<< "$dll"; then
      echo "package-windows: ${module#"$staging"/} needs $dll, which the package lacks" >&2
      missing=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$module" | sed -n 's/^\tDLL Name: //p')
done < <(find "$staging" -name '*.exe' -o -name '*.dll')
[ "$missing" -eq 0 ]

zip=$(cd "$build" && pwd)/$name.zip
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip "$name")
echo "$zip"
