#!/usr/bin/env bash
# Installs the Debian 12 packages Quorvane needs to build, test and run. Run as root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    unixodbc-dev libsqliteodbc tdsodbc
    xvfb xauth
    gcovr ccache
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
