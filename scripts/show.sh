#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs the show on the default world.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR="$Q3D_ROOT/build"
CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)

q3d_install_packages
q3d_build

cat <<MSG

Built everything there is so far: the runtime basics, the multimedia clock, the world's object
model core (elements, references, collections, value types, the element stream), the time
service, the key animations and the colour quantizer. The show itself is not built yet, so there
is nothing to display. What runs today:
  scripts/test.sh                          every test
  $BUILD_DIR/bench/bench_core3d    loading and saving speed of the element stream
MSG
