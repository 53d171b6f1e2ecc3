#!/usr/bin/env bash
# Exit status 0 where this machine can run the shipped 32-bit build: it runs
# 32-bit programs (scripts/runs-32bit.sh), 32-bit Wine is installed, and
# TARNEL_ARCH does not ask to act as a machine without 32-bit support.
# Set-up may have failed to install 32-bit Wine (a mirror in the middle of a
# sync); the tests and the demo then take the x64 build, as they do where no
# 32-bit program can run.
[ "${TARNEL_ARCH:-}" != x64 ] || exit 1
dpkg -s wine32:i386 >/dev/null 2>&1 && [ -x /usr/lib/wine/wine ] || exit 1
bash "$(dirname "$0")/runs-32bit.sh"
