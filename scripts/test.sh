#!/usr/bin/env bash
# Sets up (packages and build) and runs the whole test suite, slow media tests
# included. MIVORA_BUILD_DIR and MIVORA_CMAKE_ARGS select another build, such as
# the sanitizer build of CI.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
build_dir="${MIVORA_BUILD_DIR:-$here/build}"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"
