#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-svg-dev qt6-qpa-plugins
  qt6-base-private-dev qt6-webengine-dev qt6-webengine-dev-tools libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-noto-cjk fonts-arphic-uming fonts-dejavu-core fonts-liberation2
  xvfb xauth x11-utils locales python3
  ibus ibus-libpinyin xdotool dbus-x11 at-spi2-core python3-pyatspi openbox clang-format clang-tidy
  dpkg-dev file desktop-file-utils appstream strace lintian man-db
  libacl1-dev libattr1-dev libxxhash-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
