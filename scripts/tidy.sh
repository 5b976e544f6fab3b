#!/usr/bin/env bash
# clang-tidy over the program's sources with the tree's .clang-tidy, from the build in $1
# (default build, configured by scripts/setup.sh): faults it knows and functions over 70 lines.
# A few minutes on two cores, so it is run by hand, not by the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[[ -f "$build/compile_commands.json" ]] || { echo "no $build/compile_commands.json: build first" >&2; exit 2; }
git ls-files -z 'document/*.cpp' 'patches/*.cpp' 'widgets/*.cpp' 'chooser/*.cpp' 'editor/*.cpp' \
    'reader/*.cpp' 'shell/*.cpp' 'tools/*.cpp' |
    xargs -0 -n 4 -P "$(nproc)" clang-tidy -p "$build" --quiet 2>/dev/null
