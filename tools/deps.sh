#!/usr/bin/env bash
# Installs what the build and the emulated device need, from Debian's packages.
# Quick when everything is present: it only asks dpkg.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  zlib1g-dev libssl-dev openssl zip unzip
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 fonts-wine xvfb xserver-xephyr imagemagick x11-utils
  dpkg-dev python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# mingw-w64's g++ must use the posix thread model: std::thread and std::mutex need it.
if [[ "$(readlink -f /usr/bin/x86_64-w64-mingw32-g++)" != *posix ]]; then
  update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null
  update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null
fi
