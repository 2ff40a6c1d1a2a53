#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program (as root).
# Packages already present are not installed again; nothing is fetched when all are there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config dpkg-dev
  qt6-base-dev libgl-dev libjpeg62-turbo-dev libminiupnpc-dev
  libcurl4-openssl-dev libsystemd-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  miniupnpc miniupnpd-nftables nftables iproute2 util-linux systemd dbus-daemon
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation fonts-urw-base35 python3 python3-pil
  lintian man-db qstat
)
packages+=("$@")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 update -q
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "${missing[@]}"
