#!/usr/bin/env bash
# Installs every Debian package qel needs to build, test, run the demo and the benchmark.
# Safe to run again: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config python3-dev pybind11-dev nlohmann-json3-dev
  libglfw3-dev libx11-dev libxrandr-dev libvulkan-dev mesa-vulkan-drivers vulkan-validationlayers vulkan-tools
  glslc spirv-tools libgtest-dev python3-pytest python3-numpy python3-pil python3-matplotlib
  xvfb x11-apps x11-utils xdotool imagemagick
  python3-pygame python3-mypy python3-pip python3-venv python3-setuptools python3-wheel
  clang libclang-rt-14-dev libpng-dev libturbojpeg0-dev libgif-dev libfreetype-dev fonts-dejavu-core
  libopenal-dev libsndfile1-dev ccache
  python3-sphinx
)

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
