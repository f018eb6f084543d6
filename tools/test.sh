#!/usr/bin/env bash
# Installs what is missing, checks the sources' formatting, then builds and
# runs every test twice: in a normal build (warnings as errors, benchmarks
# compiled), after clang-tidy's checks on the files changed since main
# (every file with --tidy-all: it takes longer than all the rest), and in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tidy=()
case "${1:-}" in
--tidy-all) tidy=(--all) ;;
"") ;;
*)
    echo "usage: tools/test.sh [--tidy-all]" >&2
    exit 2
    ;;
esac
tools/setup.sh
tools/check-format.sh

jobs=$(nproc)
# Line tables only: enough for the sanitizers' reports and a crash's
# backtrace, and a fifth less compiling than full debugging information.
lines_only=-g1

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFALMIDE_WERROR=ON -DFALMIDE_BENCHMARKS=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 $lines_only -DNDEBUG"
cmake --build build -j "$jobs"
tools/tidy.sh "${tidy[@]}"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFALMIDE_WERROR=ON -DFALMIDE_SANITIZE=ON \
    "-DCMAKE_CXX_FLAGS_DEBUG=$lines_only"
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
