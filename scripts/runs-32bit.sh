#!/usr/bin/env bash
# Exit status 0 where this machine runs 32-bit x86 programs, 1 where it
# cannot.  Asks by starting one: a 96-byte static i386 ELF that only exits
# with status 7.
#
# Measured on Debian 12, kernel 6.18 (2026-12-08): some x86-64 machines run no
# 32-bit code at all.  The kernel logs "32-bit emulation disabled" (while its
# configuration still says CONFIG_IA32_EMULATION=y, so reading it tells
# nothing), every 32-bit program fails with "Exec format error", and a 64-bit
# program's far jump into a 32-bit code segment faults, so a WoW64 Wine cannot
# help either; Wine 32 under qemu-i386 user emulation crashes after minutes.
# There the tests run the x64 build of the same sources under Debian's 64-bit
# Wine (the wine64 loader called directly, WINEARCH=win64).
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054,
# one program header at 52.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$dir/probe"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$dir/probe"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$dir/probe"
printf '\x00\x00\x00\x00' >>"$dir/probe"
# Program header: the whole file loaded read and execute at 0x08048000.
printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$dir/probe"
printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$dir/probe"
# mov eax, 1 (exit); mov ebx, 7; int 0x80
printf '\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80' >>"$dir/probe"
chmod +x "$dir/probe"
"$dir/probe" 2>/dev/null
[ $? -eq 7 ]
