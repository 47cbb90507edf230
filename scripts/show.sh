#!/usr/bin/env bash
# Installs what is missing, builds everything (the default world included), and runs the show.
#   scripts/show.sh          the standalone show (/s) on the current display; any key ends it
# Without a display it runs the show for ten seconds on a private Xvfb screen and keeps a few
# screenshots in a folder it names, so the world can be seen on any machine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR="$Q3D_ROOT/build"
CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)

q3d_install_packages
q3d_build
PROGRAM="$BUILD_DIR/app/quorlith3d"

if [ -n "${DISPLAY:-}" ]; then
  exec "$PROGRAM" /s
fi

SHOTS="$Q3D_ROOT/screenshots"
mkdir -p "$SHOTS"
q3d_start_display
# Settings of this run only, so that a user's own stay untouched.
export QUORLITH_CONFIG_DIR="$(mktemp -d)"
"$PROGRAM" /s &
SHOW_PID=$!
for second in 2 4 6 8 10; do
  sleep 2
  import -display "$DISPLAY" -window root "$SHOTS/show-${second}s.png"
done
kill -TERM "$SHOW_PID"
wait "$SHOW_PID" || true
rm -rf "$QUORLITH_CONFIG_DIR"
echo "No display here: the show ran for ten seconds on a private screen. Screenshots: $SHOTS"
