#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with (--cross: see the end).
set -euo pipefail

packages=(cmake g++ make binutils pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libaravis-dev libusb-1.0-0-dev libxml2-dev libpng-dev jq
          clang libclang-rt-14-dev)

if ! dpkg -s "${packages[@]}" >/dev/null 2>&1; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${packages[@]}"
fi

# With --cross, also what the 32-bit x86 and arm64 builds need: the compilers, qemu-user and the
# multiarch :i386 and :arm64 libraries the tests link. Debian's gcc-multilib conflicts with its
# cross compilers; the versioned multilib package of the host compiler does not. qemu-user's
# recommended binfmt registration is left out: the tests start qemu themselves.
if [ "${1:-}" = "--cross" ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  cross_packages=("g++-$(gcc -dumpversion | cut -d. -f1)-multilib" g++-aarch64-linux-gnu qemu-user)
  for arch in i386 arm64; do
    dpkg --print-foreign-architectures | grep -qx "${arch}" || "${sudo_cmd[@]}" dpkg --add-architecture "${arch}"
    cross_packages+=("lib"{gtest,gmock,xml2,aravis,usb-1.0-0,png}"-dev:${arch}")
  done
  if ! dpkg -s "${cross_packages[@]}" >/dev/null 2>&1; then
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${cross_packages[@]}"
  fi
fi
