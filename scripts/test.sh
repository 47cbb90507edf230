#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh              the release build, warnings as errors
#   scripts/test.sh --sanitize   the same under AddressSanitizer and UndefinedBehaviorSanitizer
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR="$Q3D_ROOT/build"
CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ3D_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  BUILD_DIR="$Q3D_ROOT/build-sanitize"
  CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=Debug -DQ3D_WERROR=ON -DQ3D_SANITIZE=ON -DQ3D_BUILD_BENCH=OFF)
  # Leaks that system libraries keep until exit (the window tests' desktop bus and font caches).
  export LSAN_OPTIONS="suppressions=$Q3D_ROOT/tests/lsan.supp"
fi

q3d_install_packages
q3d_build
q3d_start_display
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
