#!/usr/bin/env bash
# Builds the Debian package build/mivora_<version>-<revision>_<arch>.deb: sets
# up and builds as the other scripts do, then packs what `cmake --install`
# installs under /usr. Install it with: sudo apt install ./build/mivora_*.deb
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/setup.sh"
build_dir="${MIVORA_BUILD_DIR:-$here/build}"
# Only this version's package stays, so ./build/mivora_*.deb names one file.
rm -f "$build_dir"/mivora_*.deb
cpack --config "$build_dir/CPackConfig.cmake" -B "$build_dir"
