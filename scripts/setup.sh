#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, run and test Perchlet.
# Idempotent: a machine that has everything is left alone.
set -euo pipefail

need_pkgs=(cmake g++ ccache googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686 mingw-w64-tools wine wine32:i386 wine64
  xvfb xdotool imagemagick fonts-ipafont-gothic locales python3 trayer fp-utils
  libcurl4-openssl-dev nlohmann-json3-dev sqlite3
  clang libclang-rt-dev)  # clang with libFuzzer (libclang_rt.fuzzer) for scripts/fuzz.sh

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
