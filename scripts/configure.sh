#!/usr/bin/env bash
# Configures and builds one tree with its toolchain file.
#   scripts/configure.sh BUILD_DIR TOOLCHAIN (mingw-i686 or mingw-x86_64)
# CMake takes a tree's compilers from its first configure only: a tree made
# with another toolchain (the posix flavour of earlier builds) is configured
# afresh, so it never goes on building with the compilers it was made with.
set -euo pipefail
build=$1 toolchain=$2
cd "$(dirname "$0")/.."
stamp=$(cat "cmake/$toolchain.cmake" cmake/mingw.cmake | sha1sum | cut -d' ' -f1)
fresh=()
if [ -f "$build/CMakeCache.txt" ] && [ "$(cat "$build/toolchain.stamp" 2>/dev/null)" != "$stamp" ]; then
    fresh=(--fresh)
fi
cmake "${fresh[@]}" -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli >/dev/null
echo "$stamp" >"$build/toolchain.stamp"
cmake --build "$build"
