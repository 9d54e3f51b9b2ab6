#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with.
set -euo pipefail

packages=(cmake g++ make binutils pkg-config libgtest-dev libgmock-dev libbenchmark-dev libaravis-dev libusb-1.0-0-dev libxml2-dev jq
          clang libclang-rt-14-dev)

if ! dpkg -s "${packages[@]}" >/dev/null 2>&1; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${packages[@]}"
fi
