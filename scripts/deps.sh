#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libsqlite3-dev libgmp-dev libpcre2-dev nettle-dev libgtest-dev libgmock-dev libbenchmark-dev
          clang clang-format libclang-rt-14-dev sqlite3 ccache dpkg-dev file desktop-file-utils qt6-base-dev qt6-translations-l10n fonts-ipafont-gothic tzdata "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
