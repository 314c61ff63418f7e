#!/usr/bin/env bash
# Builds the library and runs the whole test suite (dev preset).
# Extra arguments are passed to the configure step (for example -DQMX_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset dev "$@" >/dev/null
cmake --build --preset dev
ctest --preset dev -j "$(nproc)"
