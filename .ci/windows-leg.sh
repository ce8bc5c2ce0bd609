#!/usr/bin/env bash
# CI, Windows leg: zelkov.exe for 32-bit Windows, cross-built with mingw-w64, and the whole
# unit and end-to-end suite run under wine by CTest. Installs what it needs (as root, with
# apt) and fails, never skips, when the leg cannot run.
#   .ci/windows-leg.sh [build-dir]     (default: build-win)
# Where the kernel runs no 32-bit x86 code, wine's 32-bit programs run under qemu-i386 (set up
# here). ZELKOV_WINDOWS_TOOLCHAIN picks another toolchain file, e.g.
# cmake/mingw-w64-x86_64.cmake. Exit status 3: the 32-bit program was built and checked, but
# this machine cannot run it, not even emulated.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "WINDOWS LEG FAILED: $*" >&2
    exit 1
}

wine_who="windows leg"
source .ci/wine-setup.sh

toolchain=${ZELKOV_WINDOWS_TOOLCHAIN:-cmake/mingw-w64-i686.cmake}
build=$(realpath -m "${1:-build-win}")
case "$toolchain" in
*x86_64*) packages=(g++-mingw-w64-x86-64-posix wine wine64) ;;
*) packages=(g++-mingw-w64-i686-posix wine wine64 wine32:i386) ;;
esac

install_missing "${packages[@]}"

configure=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
[ ! -f "$build/CMakeCache.txt" ] || configure=() # the toolchain is taken once, at the start
cmake -S . -B "$build" "${configure[@]}" || fail "configure"
cmake --build "$build" -j2 || fail "build"

# One self-contained program: nothing but the system's own DLLs.
exe="$build/zelkov.exe"
objdump=$(sed -n 's/^CMAKE_OBJDUMP:[A-Z]*=//p' "$build/CMakeCache.txt")
dlls=$("$objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "zelkov.exe needs DLLs beyond the system's: $dlls"

wine=$(sed -n 's/^ZELKOV_WINE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$wine" ] || fail "no wine configured in $build"
# Built and checked, but not runnable here: status 3 tells the caller to test the 64-bit build
# instead, so the suite still runs under wine.
not_runnable() {
    echo "WINDOWS LEG: zelkov.exe for 32-bit Windows is built, but does not run here: $*" >&2
    exit 3
}
bits=32
[[ "$toolchain" != *x86_64* ]] || bits=64
# The build's own wine prefix.
wine_boot "$build/wineprefix" "$bits"

# The program must really run: a wine that starts nothing and ends with status 0 is no pass.
usage=$("$build/wine-run.sh" "$exe" -? 2>&1 >/dev/null) || true
grep -q 'Usage:' <<<"$usage" || start_failed "zelkov.exe did not run under wine: ${usage:-no output}"

ctest --test-dir "$build" --output-on-failure --no-tests=error -j2 || fail "tests under wine"
