#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Mivora need,
# then configures and builds the project. Safe to run again.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${MIVORA_BUILD_DIR:-$here/build}"
build_type="${MIVORA_BUILD_TYPE:-RelWithDebInfo}"

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev libgl-dev qt6-translations-l10n
  libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
  ffmpeg libavutil-dev strace
  xvfb xauth fontconfig fonts-noto-cjk imagemagick
  librsvg2-bin desktop-file-utils appstream dpkg-dev file man-db lintian
  slurmctld slurmd slurm-client munge
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" -DMIVORA_WERROR=ON \
  ${MIVORA_CMAKE_ARGS:-}
cmake --build "$build_dir" -j "$(nproc)"
