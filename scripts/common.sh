# Shared set-up of the run and test commands: packages, configure, build.
# Sourced, not run. Callers set BUILD_DIR and CMAKE_ARGS before calling q3d_build.

set -euo pipefail

Q3D_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian 12 packages the build, the tests and the benchmarks need.
Q3D_PACKAGES=(
  g++ cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenal-dev libpng-dev
)

q3d_install_packages() {
  local missing=()
  for package in "${Q3D_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

q3d_build() {
  cmake -S "$Q3D_ROOT" -B "$BUILD_DIR" -G Ninja "${CMAKE_ARGS[@]}" >/dev/null
  cmake --build "$BUILD_DIR"
}
