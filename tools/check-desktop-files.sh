#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metadata as desktop environments and software
# centres read them, and checks that the two name each other.
#
#   tools/check-desktop-files.sh DESKTOP_FILE METAINFO_FILE
#
# Ends with 77 (a skipped test) when desktop-file-validate or appstreamcli is not installed
# (packages desktop-file-utils and appstream).
set -euo pipefail

if [ $# -ne 2 ]; then
  sed -n '5p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
desktop=$1
metainfo=$2

for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" > /dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done

failures=0
desktop-file-validate "$desktop" || failures=$((failures + 1))
appstreamcli validate --no-net --explain "$metainfo" || failures=$((failures + 1))

# The metadata launches the desktop entry by its file name, and both start the same program.
desktop_id=$(basename "$desktop")
if ! grep -qF "<launchable type=\"desktop-id\">$desktop_id</launchable>" "$metainfo"; then
  echo "$metainfo does not launch $desktop_id"
  failures=$((failures + 1))
fi
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
if ! grep -qF "<binary>$program</binary>" "$metainfo"; then
  echo "$metainfo does not provide the program $program that $desktop_id starts"
  failures=$((failures + 1))
fi

if [ "$failures" -gt 0 ]; then
  exit 1
fi
echo "check-desktop-files: $desktop_id and $(basename "$metainfo") are valid"
