#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with (--cross: see the end).
set -euo pipefail

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# Installs the packages not installed yet (apt-get options first, then "--", then packages).
# Libraries are named with their architecture: once a second architecture's copy is installed,
# an unqualified name is ambiguous to dpkg and the check would always fail.
install_missing() {
  local options=()
  while [ "$1" != "--" ]; do options+=("$1"); shift; done
  shift
  if ! dpkg -s "$@" >/dev/null 2>&1; then
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${options[@]}" "$@"
  fi
}

native="$(dpkg --print-architecture)"
install_missing -- cmake g++ make binutils clang jq man-db groff-base "pkg-config:${native}" \
  "lib"{gtest,gmock,benchmark,aravis,usb-1.0-0,xml2,png,clang-rt-14}"-dev:${native}"

# With --cross, also what the 32-bit x86 and arm64 builds need: the compilers, qemu-user and the
# multiarch :i386 and :arm64 libraries the tests link. Debian's gcc-multilib conflicts with its
# cross compilers; the versioned multilib package of the host compiler does not. qemu-user's
# recommended binfmt registration is left out: the tests start qemu themselves.
if [ "${1:-}" = "--cross" ]; then
  cross_packages=("g++-$(gcc -dumpversion | cut -d. -f1)-multilib" g++-aarch64-linux-gnu qemu-user)
  for arch in i386 arm64; do
    dpkg --print-foreign-architectures | grep -qx "${arch}" || "${sudo_cmd[@]}" dpkg --add-architecture "${arch}"
    cross_packages+=("lib"{gtest,gmock,xml2,aravis,usb-1.0-0,png}"-dev:${arch}")
  done
  install_missing --no-install-recommends -- "${cross_packages[@]}"
fi
