#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when something is missing.
# Usage: scripts/setup.sh [--bench] [--fuzz] [--tsan]
#   (--bench adds the benchmark peers, --fuzz Clang and its libFuzzer runtime,
#   --tsan the ThreadSanitizer runtime of GCC)
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config libgtest-dev libpng-dev libjpeg-dev)
for arg in "$@"; do
  case "$arg" in
    --bench) packages+=(libbenchmark-dev libfftw3-dev libeigen3-dev) ;;
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --tsan) packages+=(libtsan2) ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
echo "setup: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo_cmd=()
elif command -v sudo >/dev/null; then
  sudo_cmd=(sudo)
else
  echo "setup: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
