#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n # the toolkit's own texts in the desktop's language
  libgtest-dev libgmock-dev libbenchmark-dev
  fontconfig fonts-dejavu-core
  clang libclang-rt-14-dev
  xvfb xauth openbox x11-utils xdotool wmctrl
  locales
  zstd # scripts/bench.sh: zstd beside the coder
)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run a second time as a German user: the C library needs the locale
# itself, not only its name. A German locale of one byte a character too, in
# which the C library folds the Latin-1 letters: which names match must not
# depend on it.
for charset in UTF-8 ISO-8859-1; do
  # locale -a lists the charset without dashes (de_DE.utf8); grep -i for the case.
  if ! locale -a 2>/dev/null | grep -qix "de_DE.${charset//-/}"; then
    echo "Generating the locale de_DE.$charset"
    $SUDO localedef -i de_DE -c -f "$charset" "de_DE.$charset"
  fi
done
