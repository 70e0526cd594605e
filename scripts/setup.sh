#!/usr/bin/env bash
# Installs what the three builds and their tests need, from Debian's archive only.
# Idempotent: a package already present is not fetched again.
set -euo pipefail

pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine64 xvfb xauth locales fonts-wqy-microhei googletest python3
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  [ "$(id -u)" = 0 ] || { echo "setup: run as root to install: ${missing[*]}" >&2; exit 1; }
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine gives ANSI code page 936 only when the glibc locale exists.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  [ "$(id -u)" = 0 ] || { echo "setup: run as root to generate zh_CN.UTF-8" >&2; exit 1; }
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
