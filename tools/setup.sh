#!/usr/bin/env bash
# Installs the Debian 12 packages the program needs to build, run and test,
# when any is missing. Safe to run again: it does nothing when all are there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git clang-format clang-tidy
    qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n
    fonts-liberation2 fontconfig
    libsqlite3-dev qpdf poppler-utils sqlite3 xdg-utils cups-client
    desktop-file-utils libxml2-utils
    libzip-dev libssl-dev openssl unzip libgmime-3.0-dev
    libbenchmark-dev libhpdf-dev
    libcurl4-openssl-dev qtkeychain-qt6-dev python3-aiosmtpd dovecot-imapd
    libqt6sql6-psql libpq-dev postgresql
    libxlsxwriter-dev python3-openpyxl qt6-charts-dev libqt6opengl6-dev
    locales
)

# The tests run under an Italian and an English locale; both must exist.
locales=(it_IT.UTF-8 en_US.UTF-8)

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# locale -a spells them without the dash: it_IT.utf8.
missing_locales=()
for l in "${locales[@]}"; do
    short=$(echo "$l" | sed 's/UTF-8/utf8/')
    locale -a 2>/dev/null | grep -qx "$short" || missing_locales+=("$l")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
    echo "Generating locales: ${missing_locales[*]}"
    for l in "${missing_locales[@]}"; do
        grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null \
            || echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    done
    "${sudo_cmd[@]}" locale-gen >/dev/null
fi
