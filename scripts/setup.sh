#!/usr/bin/env bash
# Installs the Debian packages qel needs. Safe to run again: packages already present are left
# alone.
#   bash scripts/setup.sh             everything to build, test, package and document qel, run the
#                                     demo and the benchmark (what scripts/build.sh and the rest use)
#   bash scripts/setup.sh --runtime   only what running qel needs (a wheel or the Debian package)
#   --print                           lists the packages instead of installing them
set -euo pipefail

# Running qel: the libraries the module links against, a Vulkan driver (lavapipe runs on the
# CPU), the default font, and Debian's Python with venv for installing the wheel.
RUNTIME=(
  python3 python3-venv libvulkan1 mesa-vulkan-drivers libglfw3 libx11-6 libfreetype6 fonts-dejavu-core
  libpng16-16 libturbojpeg0 libgif7 libopenal1 libsndfile1
)
BUILD=(
  build-essential cmake pkg-config python3-dev pybind11-dev nlohmann-json3-dev
  libglfw3-dev libx11-dev libxrandr-dev libvulkan-dev vulkan-validationlayers vulkan-tools
  glslc spirv-tools libgtest-dev python3-pytest python3-numpy python3-pil python3-matplotlib
  xvfb x11-apps x11-utils xdotool imagemagick
  python3-pygame python3-mypy python3-pip python3-setuptools python3-wheel
  clang libclang-rt-14-dev libpng-dev libturbojpeg0-dev libgif-dev libfreetype-dev
  libopenal-dev libsndfile1-dev ccache
  python3-sphinx
  debhelper dh-python pybuild-plugin-pyproject lintian patchelf
)

PACKAGES=("${RUNTIME[@]}" "${BUILD[@]}")
PRINT=0
for arg in "$@"; do
  case "$arg" in
    --runtime) PACKAGES=("${RUNTIME[@]}") ;;
    --print) PRINT=1 ;;
    *) echo "usage: bash scripts/setup.sh [--runtime] [--print]" >&2; exit 2 ;;
  esac
done
if [ "$PRINT" = 1 ]; then
  echo "${PACKAGES[*]}"
  exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
