#!/usr/bin/env bash
# Builds every libFuzzer target (named fuzz_*) with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer in build-fuzz, then runs
# each for the given number of seconds (default 30), seeded from
# tests/fuzz/corpus/<target>/ when that folder exists. Fails when any target
# finds a crash; its reproducer is kept in build-fuzz/artifacts/.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
build_dir="${MIVORA_FUZZ_BUILD_DIR:-$here/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMIVORA_FUZZ=ON -DMIVORA_BUILD_WINDOW=OFF -DMIVORA_WERROR=ON
cmake --build "$build_dir" --target fuzzers -j "$(nproc)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$build_dir/artifacts"
failed=()
for target in "$build_dir"/fuzz/fuzz_*; do
  name="$(basename "$target")"
  # The corpus grows while fuzzing; a copy keeps the repository untouched.
  corpus="$work/$name"
  mkdir -p "$corpus"
  seeds="$here/tests/fuzz/corpus/$name"
  [[ -d "$seeds" ]] && cp -R "$seeds/." "$corpus/"
  echo "== $name: ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build_dir/artifacts/$name-" "$corpus"; then
    failed+=("$name")
  fi
done
if ((${#failed[@]})); then
  echo "fuzzing found crashes in: ${failed[*]}" >&2
  exit 1
fi
