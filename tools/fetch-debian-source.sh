#!/usr/bin/env bash
# Fetches and unpacks the source of one Debian package, for the libraries that Debian ships no
# MinGW build of (pugixml). Needs no root and leaves the machine's apt configuration alone: the
# deb-src entries, the package lists and the download live in a private folder.
#
#   tools/fetch-debian-source.sh PACKAGE DEST [VERSION]
#
# PACKAGE is a source package name, DEST the folder the unpacked source tree goes to (replaced
# when it exists). VERSION defaults to the newest version in the archive. The source comes from
# the Debian archives that this machine's apt already uses, checked against their signatures.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  sed -n '6,11p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi
package=$1
dest=$2
version=${3:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/keyloom-source.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/download"

# The Debian archives of the machine's own apt sources, as deb-src entries.
apt-get indextargets --format '$(SITE) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' \
  'Origin: Debian' | sort -u | sed 's/^/deb-src /' > "$work/sources.list"
if [ ! -s "$work/sources.list" ]; then
  echo "fetch-debian-source: this machine's apt uses no Debian archive" >&2
  exit 1
fi

apt_options=(
  -o "Dir::Etc::SourceList=$work/sources.list"
  -o "Dir::Etc::SourceParts=-"
  -o "Dir::State::Lists=$work/lists"
  -o "Dir::Cache=$work/cache"
  -o "APT::Sandbox::User=$(id -un)"
)
# Each step's output is shown only when it fails.
quietly() {
  "$@" > "$work/step.log" 2>&1 || {
    cat "$work/step.log" >&2
    return 1
  }
}
quietly apt-get "${apt_options[@]}" update
(cd "$work/download" &&
  quietly apt-get "${apt_options[@]}" --download-only source "$package${version:+=$version}")

# apt has checked the files against the signed archive index; dpkg-source checks them against
# the .dsc (it cannot check the uploader's signature without the keyring, and says so).
# dpkg-source puts the tarballs beside the tree it unpacks, so it unpacks inside the private
# folder.
quietly dpkg-source -x "$work"/download/*.dsc "$work/tree"
rm -rf "$dest"
mkdir -p "$(dirname "$dest")"
mv "$work/tree" "$dest"
echo "fetch-debian-source: $package ${version:-(newest)} unpacked in $dest"
