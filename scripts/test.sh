#!/usr/bin/env bash
# Installs what is missing, builds the agent and its tests, and runs the whole suite.
#   scripts/test.sh            release build and all tests
#   ORV_SANITIZE=1 scripts/test.sh   the same under address and undefined-behaviour sanitizers
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
build_dir=${ORV_BUILD_DIR:-build}
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${ORV_SANITIZE:-0}" = 1 ]; then
  build_dir=${ORV_BUILD_DIR:-build-sanitize}
  cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON)
fi

cmake -S . -B "$build_dir" "${cmake_args[@]}"
cmake --build "$build_dir" -j "$jobs"
cd "$build_dir"
ctest --output-on-failure -j "$jobs" --timeout 120
