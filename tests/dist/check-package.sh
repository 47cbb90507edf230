#!/usr/bin/env bash
# The Debian package end to end, as a user meets it: built with CPack, clean for lintian, installed
# with dpkg (its dependencies from apt), run from the PATH on its installed data, removed without
# a trace. Needs root and the test display.
#   check-package.sh <build folder>
set -euo pipefail
BUILD="$1"
[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 0; }
cd "$BUILD"
rm -f quorlith3d_*.deb
cpack -G DEB >/dev/null
PACKAGE="$(ls quorlith3d_*.deb)"

lintian --fail-on error,warning "$PACKAGE"

dpkg -i "$PACKAGE" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -f -y -qq >/dev/null
trap 'dpkg --purge quorlith3d >/dev/null 2>&1 || true' EXIT
FILES="$(dpkg -L quorlith3d)"
[ "$(command -v quorlith3d)" = /usr/bin/quorlith3d ]
[ "$(quorlith3d --version)" = "quorlith3d 7.8" ]
[ -f /etc/pam.d/quorlith3d ]

# The installed hack draws the installed world on the root window, with no variable set.
CONFIG="$(mktemp -d)"
env -u QUORLITH_DATA_DIR QUORLITH_CONFIG_DIR="$CONFIG" ALSOFT_DRIVERS=null /usr/libexec/xscreensaver/quorlith3d -root &
HACK=$!
sleep 4
COLOURS="$(import -window root -crop 400x300+300+300 png:- | identify -format %k -)"
kill -TERM "$HACK"
wait "$HACK"
rm -rf "$CONFIG"
[ "$COLOURS" -ge 32 ] || { echo "the installed show drew $COLOURS colours"; exit 1; }

dpkg --purge quorlith3d >/dev/null
trap - EXIT
while read -r path; do
  [ -d "$path" ] && continue
  [ ! -e "$path" ] || { echo "left behind: $path"; exit 1; }
done <<<"$FILES"
[ ! -e /etc/pam.d/quorlith3d ]
echo "package checked: $PACKAGE"
