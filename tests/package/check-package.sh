#!/bin/sh
# Builds the Debian package from the build folder into a scratch folder and
# checks what it holds: its files, its control fields, and that the program
# unpacked from it runs.
#   check-package.sh BUILD_DIR VERSION
set -eu
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; }
deb=$(ls "$scratch"/falmide_*.deb)

dpkg-deb -c "$deb" | awk '{print $6}' >"$scratch/files"
for file in ./usr/bin/falmide ./usr/share/applications/falmide.desktop \
    ./usr/share/icons/hicolor/scalable/apps/falmide.svg \
    ./usr/share/icons/hicolor/16x16/apps/falmide.png \
    ./usr/share/icons/hicolor/48x48/apps/falmide.png \
    ./usr/share/icons/hicolor/256x256/apps/falmide.png \
    ./usr/share/doc/falmide/README.md; do
    grep -qx "$file" "$scratch/files" || fail "$file is not in the package"
done

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = falmide ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture"
[ "$(field Section)" = office ] || fail "Section: $(field Section)"
for dependency in libqt6widgets6 libqt6printsupport6 libqt6sql6 libqt6sql6-sqlite libqt6sql6-psql libpq5 libsqlite3-0 libzip4 libssl3 \
    libcurl4 libgmime-3.0-0 libqt6keychain1 libqt6charts6 libxlsxwriter4 \
    fonts-liberation2; do
    field Depends | tr ',' '\n' | grep -q "^ *$dependency\( \|$\)" ||
        fail "Depends lacks $dependency: $(field Depends)"
done

# The program as installed answers without a display.
dpkg-deb -x "$deb" "$scratch/root"
out=$(env -u QT_QPA_PLATFORM -u DISPLAY "$scratch/root/usr/bin/falmide" --version)
[ "$out" = "falmide $version" ] || fail "falmide --version: $out"
echo "package ok: $(basename "$deb")"
