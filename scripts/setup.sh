#!/usr/bin/env bash
# Installs every Debian package QVS needs to build, test and run. Safe to run again:
# packages already present are left alone and nothing is downloaded when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates
  clang libclang-rt-14-dev            # fuzz targets (libFuzzer) and LeakSanitizer runtime
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libssl-dev libpugixml-dev tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "setup: missing packages (${missing[*]}); run this script as root" >&2
    exit 1
  fi
else
  SUDO=
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
