#!/usr/bin/env bash
# The Debian package: builds it (preset "release", then cpack), checks its contents, installs
# it, and checks as a normal user that keyloomctl runs from PATH, reads the installed data,
# keeps its files in that user's configuration folder and writes nothing under the install
# prefix; and that the installed udev rule is valid. tools/dev.sh test runs it.
#
# As root (CI on a fresh machine) the package is installed into the machine with apt-get, the
# user "keyloom-ci" is created when missing, and the package is removed again at the end.
# Otherwise it is unpacked into a scratch root (dpkg -x) and run from there as the calling user.
#
# KEYLOOM_SKIP_INSTALL_TEST=1 skips all of it, for a developer's own machine.
# KEYLOOM_PACKAGE_BUILD_DIR builds the package elsewhere than in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "==== Debian package: build, install, run as a normal user ===="
if [ "${KEYLOOM_SKIP_INSTALL_TEST:-0}" = 1 ]; then
  echo "skipped (KEYLOOM_SKIP_INSTALL_TEST=1)"
  exit 0
fi

failures=0
# True when no line of the text matches the extended regular expression.
lacks() { ! grep -qE -- "$1" <<< "$2"; }
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

build=${KEYLOOM_PACKAGE_BUILD_DIR:-build/release}
# The package holds no benchmark.
cmake --preset release -B "$build" -DKEYLOOM_BUILD_BENCHMARKS=OFF
cmake --build "$build"
rm -f "$build"/keyloom_*.deb
(cd "$build" && cpack -G DEB)
packages=("$build"/keyloom_*_amd64.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  echo "FAILED: cpack made no single keyloom_<version>_amd64.deb"
  exit 1
fi
deb=${packages[0]}
version=$(sed -n 's/^  VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n 1)
rule=/usr/lib/udev/rules.d/70-keyloom.rules

echo "---- $deb"
dpkg-deb --field "$deb"
contents=$(dpkg-deb --contents "$deb")
field() { dpkg-deb --field "$deb" "$1"; }
check "file name keyloom_${version}_amd64.deb" test "$(basename "$deb")" = "keyloom_${version}_amd64.deb"
check "package keyloom, section utils, maintainer" \
  test "$(field Package)/$(field Section)/$(field Maintainer)" = "keyloom/utils/Keyloom developers"
depends=$(field Depends)
for library in libc6 libstdc++6 libudev1 libxcb1 libpugixml1v5 libqt6widgets6 libqt6svg6; do
  check "depends on $library" grep -qw "$library" <<< "$depends"
done
desktop_entry=/usr/share/applications/org.keyloom.Keyloom.desktop
for file in /usr/bin/keyloomctl /usr/bin/keyloom /usr/share/keyloom/config.xml \
  /usr/share/keyloom/uires/uires.idx "$rule" "$desktop_entry" \
  /usr/share/metainfo/org.keyloom.Keyloom.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/org.keyloom.Keyloom.svg \
  /usr/share/man/man1/keyloomctl.1.gz /usr/share/man/man1/keyloom.1.gz \
  /usr/share/bash-completion/completions/keyloomctl \
  /usr/share/zsh/vendor-completions/_keyloomctl \
  /usr/share/fish/vendor_completions.d/keyloomctl.fish; do
  check "package holds $file" grep -qE " \\.$file\$" <<< "$contents"
done
check "no file of the package is writable for every user" \
  lacks '^[^l].{7}w' "$contents"

if [ "$(id -u)" -eq 0 ]; then
  user=keyloom-ci
  id "$user" > /dev/null 2>&1 || useradd -m "$user"
  home=$(getent passwd "$user" | cut -d: -f6)
  rm -rf "$home/.config/keyloom"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$(realpath "$deb")"
  trap 'DEBIAN_FRONTEND=noninteractive apt-get purge -y keyloom > /dev/null || true' EXIT
  root=""
  config_option=""
  # A login shell: the user's own HOME, PATH and no XDG_CONFIG_HOME of the caller.
  as_user() { runuser -l "$user" -c "$1"; }
else
  user=$(id -un)
  root=$(mktemp -d "${TMPDIR:-/tmp}/keyloom-root.XXXXXX")
  home=$root/home
  mkdir -p "$home"
  trap 'rm -rf "$root"' EXIT
  dpkg-deb -x "$deb" "$root"
  # The programs look for their data in /usr/share/keyloom, which a scratch root is not: the
  # configuration is named.
  config_option="--config $root/usr/share/keyloom/config.xml"
  as_user() {
    env -i HOME="$home" PATH="$root/usr/bin:/usr/bin:/bin" LD_LIBRARY_PATH="$root/usr/lib" \
      bash -c "$1"
  }
fi
# keyloomctl from PATH, as the user.
ctl() { as_user "keyloomctl $config_option $*"; }

echo "---- as $user, installed in ${root:-/}"
listing() { find "$root/usr/bin" "$root/usr/share/keyloom" -printf '%p %s %T@\n' | sort; }
before=$(listing)
check "keyloomctl is on PATH at $root/usr/bin" \
  test "$(as_user 'command -v keyloomctl')" = "$root/usr/bin/keyloomctl"
check "keyloomctl --version says $version" \
  test "$(ctl --version)" = "keyloomctl $version"
vid=$(sed -n 's/.*<usb [^>]*vid="\([0-9a-fA-F]*\)".*/\1/p' "$root/usr/share/keyloom/config.xml")
check "the installed config.xml is read (vendor id 0x$vid)" \
  grep -q "\"vendorId\": $((16#$vid))," <<< "$(ctl config --json)"
check "keyloomctl --simulate remap A B" ctl --simulate remap A B
slots=$(ctl --simulate slots)
echo "$slots"
check "the next run sees the remap" grep -q "A (0x04)" <<< "$slots"
state=$home/.config/keyloom/simulated-keyboard.xml
check "the state is in $state" test -f "$state"
check "the state belongs to $user" test "$(stat -c %U "$state")" = "$user"

echo "---- keyloom as the menu starts it"
check "keyloom --version says $version" \
  test "$(as_user 'QT_QPA_PLATFORM=offscreen keyloom --version')" = "keyloom $version"
menu_command=$(sed -n 's/^Exec=//p' "$root$desktop_entry")
check "the menu's command is keyloom, found on PATH" \
  test "$(as_user "command -v $menu_command")" = "$root/usr/bin/keyloom"
if [ -z "$root" ]; then
  # The window, drawn offscreen from the installed skin, against the simulated keyboard.
  picture=$home/keyloom-menu.png
  rm -f "$picture"
  check "the menu's command shows the main window" \
    as_user "QT_QPA_PLATFORM=offscreen $menu_command --simulate --screenshot $picture"
  check "the window was saved as a PNG image" \
    grep -q "PNG image data" <<< "$(file "$picture")"
  rm -f "$picture"
else
  # The program reads its skin from /usr/share/keyloom, which a scratch root is not.
  echo "skipped: the main window from the menu (needs the package installed; run as root)"
fi

check "nothing was written under $root/usr/bin or $root/usr/share/keyloom" \
  test "$before" = "$(listing)"

echo "---- the udev rule $rule"
installed_rule=$root$rule
cat "$installed_rule"
check "the rule's syntax is valid" tools/check-udev-rules.sh "$installed_rule"
pid=$(sed -n 's/.*<usb [^>]*pid="\([0-9a-fA-F]*\)".*/\1/p' "$root/usr/share/keyloom/config.xml")
check "the rule gives the seat's user hidraw nodes of vendor $vid, product $pid" grep -qE \
  "^SUBSYSTEM==\"hidraw\", ATTRS\\{idVendor\\}==\"${vid,,}\", ATTRS\\{idProduct\\}==\"${pid,,}\", TAG\\+=\"uaccess\"\$" \
  "$installed_rule"
check "the rule sets no mode" lacks MODE "$(cat "$installed_rule")"
check "the rule runs before 73-seat-late.rules" test "$(basename "$rule" | cut -c1-2)" -lt 73
check "the rule file is not writable for every user" \
  test "$(($(stat -c %a "$installed_rule") % 10 & 2))" -eq 0

if [ "$failures" -gt 0 ]; then
  echo "install test: $failures check(s) failed"
  exit 1
fi
echo "install test: every check passed"
