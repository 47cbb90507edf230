# Shared set-up of the run and test commands: packages, configure, build.
# Sourced, not run. Callers set BUILD_DIR and CMAKE_ARGS before calling q3d_build.

set -euo pipefail

Q3D_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian 12 packages the build, the tests and the benchmarks need.
Q3D_PACKAGES=(
  g++ cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libopenal-dev libpng-dev xscreensaver procps libpam0g-dev libpam-wrapper
  qt6-base-dev fonts-dejavu-core xvfb xdotool libx11-dev libxext-dev libxcb1-dev
  desktop-file-utils libxml2-utils imagemagick x11-xserver-utils dpkg-dev lintian libjpeg-dev
  libglib2.0-bin gsettings-desktop-schemas
  libgl-dev libegl-dev libopengl-dev libgl1-mesa-dri libegl-mesa0
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

# A display for the window tests: the one in DISPLAY, or a fresh Xvfb screen that goes away with the
# calling script.
q3d_start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local number_file
  number_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  Q3D_XVFB_PID=$!
  trap 'kill "$Q3D_XVFB_PID" 2>/dev/null || true' EXIT
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  [ -s "$number_file" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$number_file")"
  rm -f "$number_file"
}
