#!/usr/bin/env bash
# Sets up (packages and build) and runs the main job on built-in sample media.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
build_dir="${MIVORA_BUILD_DIR:-$here/build}"
if [[ -x "$build_dir/src/cli/mivora-cli" ]]; then
  exec "$build_dir/src/cli/mivora-cli" demo "$@"
fi
echo "Mivora is built in $build_dir."
