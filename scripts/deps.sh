#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fontconfig fonts-dejavu-core
  clang libclang-rt-14-dev
  xvfb xauth openbox x11-utils xdotool wmctrl
  locales
  zstd # scripts/bench.sh: zstd beside the coder
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run a second time as a German user: the C library needs the locale
# itself, not only its name.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  echo "Generating the locale de_DE.UTF-8"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
fi
# A German locale of one byte a character, in which the C library folds the
# Latin-1 letters too: which names match must not depend on it.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.iso88591'; then
  echo "Generating the locale de_DE.ISO-8859-1"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i de_DE -c -f ISO-8859-1 de_DE.ISO-8859-1
fi
