#!/usr/bin/env bash
# Builds the world loader's libFuzzer target with clang and runs it.
#   scripts/fuzz.sh [seconds]     (default 180)
# The corpus and any crash files are kept in build-fuzz/.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

SECONDS_TO_RUN="${1:-180}"
BUILD_DIR="$Q3D_ROOT/build-fuzz"
Q3D_PACKAGES+=(clang)
q3d_install_packages
cmake -S "$Q3D_ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQ3D_FUZZ=ON -DQ3D_BUILD_TESTS=OFF -DQ3D_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" --target world_fuzzer
mkdir -p "$BUILD_DIR/corpus" "$BUILD_DIR/crashes"
cd "$BUILD_DIR/crashes"
Q3D_FUZZ_SEED_DIR="$BUILD_DIR/corpus" "$BUILD_DIR/tests/fuzz/world_fuzzer" "$BUILD_DIR/corpus" \
  -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=10 -print_final_stats=1
