#!/usr/bin/env bash
# Installs the Debian packages the build, the simulator and the tests need, when any is missing.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev libgl-dev libmosquitto-dev libgtest-dev xvfb xauth
          binutils poppler-utils mosquitto mosquitto-clients openssl python3 python3-pyvisa python3-pyvisa-py)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
