#!/usr/bin/env bash
# Builds Tintwright and runs the whole test suite: first the normal build (with the
# real-window test) and its packages, then a second build with AddressSanitizer,
# UndefinedBehaviorSanitizer and the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DTINTWRIGHT_WERROR=ON
# The tree as its .clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
# A test that cannot run here (no display, a tool missing) reports itself skipped; in this
# command that is a failure, not a pass.
(cd build && ctest --output-on-failure) | tee build/ctest.log
if grep -q '(Skipped)' build/ctest.log; then
    echo "A test was skipped: the whole suite must run here." >&2
    exit 1
fi
# The .deb and the portable archive, unpacked into a scratch folder and checked.
scripts/check-packages.sh build

cmake -S . -B build-asan -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTINTWRIGHT_SANITIZE=ON -DTINTWRIGHT_FUZZ=ON
cmake --build build-asan
cd build-asan
ctest --output-on-failure -j 2
