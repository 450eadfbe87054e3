#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, when
# any of them is missing. Fast and silent when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libtiff-dev libpng-dev libjpeg62-turbo-dev libgif-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-image-formats-plugins libgl-dev
  xvfb xauth
  libhwy-dev libcli11-dev nlohmann-json3-dev libopenjp2-7-dev
  clang libclang-rt-14-dev
  pybind11-dev python3-dev python3-numpy python3-pytest python3-pil
  python3-dask python3-distributed
  libgdk-pixbuf-2.0-dev shared-mime-info desktop-file-utils appstream
  file xdg-utils dpkg-dev
  libglib2.0-bin libgdk-pixbuf2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

cmd="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root: apt-get update && $cmd" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$cmd
