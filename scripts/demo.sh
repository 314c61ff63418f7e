#!/usr/bin/env bash
# Builds the library (release preset) and runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release -DQMX_BUILD_TESTS=OFF -DQMX_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build --preset release --target demo
./build/release/examples/demo
