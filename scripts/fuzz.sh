#!/usr/bin/env bash
# Builds one libFuzzer target with clang (AddressSanitizer and UndefinedBehaviorSanitizer) and runs it.
#   scripts/fuzz.sh <target> [seconds] [libFuzzer options...]     (seconds default 180)
# Targets: world_fuzzer, settings_fuzzer, invocation_fuzzer, wave_fuzzer, picture_fuzzer.
# The growing corpus and any crash files are kept in build-fuzz/<target>/; the small corpus kept in
# tests/fuzz/<target>/ seeds each run (the normal tests replay it).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

TARGET="${1:?usage: scripts/fuzz.sh <target> [seconds] [libFuzzer options...]}"
SECONDS_TO_RUN="${2:-180}"
shift $(($# < 2 ? $# : 2))
BUILD_DIR="$Q3D_ROOT/build-fuzz"
Q3D_PACKAGES+=(clang)
q3d_install_packages
cmake -S "$Q3D_ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQ3D_FUZZ=ON -DQ3D_BUILD_TESTS=OFF -DQ3D_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" --target "$TARGET"
WORK_DIR="$BUILD_DIR/$TARGET"
mkdir -p "$WORK_DIR/corpus" "$WORK_DIR/crashes"
SEEDS=()
[ -d "$Q3D_ROOT/tests/fuzz/$TARGET" ] && SEEDS+=("$Q3D_ROOT/tests/fuzz/$TARGET")
cd "$WORK_DIR/crashes"
Q3D_FUZZ_SEED_DIR="$WORK_DIR/corpus" "$BUILD_DIR/tests/fuzz/$TARGET" "$WORK_DIR/corpus" "${SEEDS[@]}" \
  -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=2048 -malloc_limit_mb=256 -timeout=10 -print_final_stats=1 "$@"
