#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests and the demo need.
# Safe to run again: when everything is present it changes nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkgconf git
    clang clang-format clang-tidy libclang-rt-14-dev
    libssl-dev openssl
    libpugixml-dev
    libnl-3-dev libnl-route-3-dev iproute2 libcap-dev
    libcli11-dev
    libcurl4-openssl-dev
    libc-ares-dev
    libsystemd-dev dbus-daemon
    libgtest-dev libgmock-dev
    curl
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins
    fonts-wqy-microhei
    dpkg-dev fakeroot file lintian desktop-file-utils man-db systemd
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
