#!/usr/bin/env bash
# Builds the Debian package: a Release build for the prefix /usr, packed by CPack into
# build/package/, then its contents listed and checked, and lintian run on it (an error
# fails the script). Extra arguments go to the CMake configuration, e.g.
# -DVORN_GATEWAY_HOST=NAME or -DVORN_CA_FILE=PATH.
# Usage: scripts/package.sh [CMAKE-OPTION...]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build=build/package-release
out=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
cmake --build "$build" --target vornctl vornclient vorn_packaging_files
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$PWD/../package" >/dev/null)
rm -rf "$out/_CPack_Packages"
deb=$(echo "$out"/vornclient_*.deb)
[ -f "$deb" ] || { echo "no package was built" >&2; exit 1; }

dpkg-deb -c "$deb" >"$out/contents.txt"
for path in ./usr/bin/vornctl ./usr/bin/vornclient ./usr/share/vornclient/config.xml \
    ./usr/share/vornclient/ping-script.sh ./usr/share/vornclient/tracert-script.sh \
    ./usr/share/vornclient/nslookup-script.sh ./usr/share/applications/vornclient.desktop \
    ./usr/share/icons/hicolor/scalable/apps/vornclient.svg ./usr/share/man/man1/vornctl.1.gz \
    ./usr/share/man/man1/vornclient.1.gz ./usr/share/doc/vornclient/copyright \
    ./usr/share/doc/vornclient/changelog.gz ./usr/lib/systemd/system/vornctl-guard.service; do
    grep -q " $path\$" "$out/contents.txt" || { echo "the package lacks $path" >&2; exit 1; }
done
echo "== $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends Installed-Size

echo "== lintian"
lintian --fail-on error --display-info "$deb"
