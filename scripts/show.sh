#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs the show on the default world.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR="$Q3D_ROOT/build"
CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)

q3d_install_packages
q3d_build

cat <<MSG

Built everything there is so far: the runtime basics and the multimedia clock, the display
surfaces, the software rasterizer and the retained-mode 3D layer, positional sound over OpenAL
Soft, and the world's object model up to textures, materials, meshes, animations and motions.
The show itself (window, world loading, camera tour) is not built yet, so there is nothing to
display. What runs today:
  scripts/test.sh                        every test (reference pictures in tests/references)
  $BUILD_DIR/bench/bench_soft_raster     software rasterizer frames per second
  $BUILD_DIR/bench/bench_core3d          element stream load and save speed
MSG
