#!/usr/bin/env bash
# Installs the Debian packages that Crunchwise needs, asking apt only when
# something is missing. With "program", only what building and running the
# program needs; otherwise also everything the tests and benchmarks use.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev zlib1g-dev libdeflate-dev)
if [ "${1:-}" != program ]; then
    packages+=(
        clang-format libgtest-dev libbenchmark-dev mscompress libmspack-dev
        xvfb xauth xdotool imagemagick trayer openbox
        x11-utils dbus python3-dbus python3-gi libglib2.0-bin
    )
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
