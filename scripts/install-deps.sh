#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the tools need.
# Only missing packages are installed; runs apt-get as root or through sudo.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev xvfb xauth fonts-liberation
  g++-multilib qemu-user
  clang-14 libclang-rt-14-dev lld
  iproute2 util-linux ccache
  nettle-dev python3-impacket
  dpkg-dev file
  libelf-dev libavahi-client-dev
  avahi-daemon dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  apt_get=(apt-get)
else
  apt_get=(sudo apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
"${apt_get[@]}" update -q
"${apt_get[@]}" install -y -q --no-install-recommends "${missing[@]}"
