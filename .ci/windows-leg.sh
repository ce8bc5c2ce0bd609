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

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

install_packages() {
    "${sudo[@]}" apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "$@"
}

# Where the kernel runs no 32-bit x86 code (built without IA-32 emulation), qemu's user-mode
# emulator runs wine's 32-bit programs: registered for i386 programs with binfmt_misc, with
# F so that the emulator is opened now and found from any process. False when any step is not
# possible here.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
enable_i386_emulation() {
    local binfmt=/proc/sys/fs/binfmt_misc
    echo "windows leg: this kernel runs no 32-bit x86 programs; setting up qemu-i386 for wine"
    command -v qemu-i386 >/dev/null || install_packages --no-install-recommends qemu-user || return 1
    [ -e "$binfmt/register" ] ||
        "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" || return 1
    if [ ! -e "$binfmt/qemu-i386" ]; then
        printf ':qemu-i386:M::%s:%s:%s:F\n' "$i386_magic" "$i386_mask" "$(command -v qemu-i386)" |
            "${sudo[@]}" tee "$binfmt/register" >/dev/null || return 1
    fi
    "$wine" --version >/dev/null 2>&1
}

toolchain=${ZELKOV_WINDOWS_TOOLCHAIN:-cmake/mingw-w64-i686.cmake}
build=$(realpath -m "${1:-build-win}")
case "$toolchain" in
*x86_64*) packages=(g++-mingw-w64-x86-64-posix wine wine64) ;;
*) packages=(g++-mingw-w64-i686-posix wine wine64 wine32:i386) ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$p")
done
if ((${#missing[@]} > 0)); then
    echo "windows leg: installing ${missing[*]}"
    { "${sudo[@]}" dpkg --add-architecture i386 && install_packages "${missing[@]}"; } ||
        fail "could not install ${missing[*]}"
fi

configure=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
[ ! -f "$build/CMakeCache.txt" ] || configure=() # the toolchain is taken once, at the start
cmake -S . -B "$build" "${configure[@]}" || fail "configure"
cmake --build "$build" -j2 || fail "build"

# One self-contained program: nothing but the system's own DLLs.
exe="$build/zelkov.exe"
objdump=$(sed -n 's/^CMAKE_OBJDUMP:[A-Z]*=//p' "$build/CMakeCache.txt")
dlls=$("$objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "zelkov.exe needs DLLs beyond the system's: $dlls"

# The build's own wine prefix, and one wine server for the whole run with the services booted
# (otherwise every test waits for them to let go of its output).
wine=$(sed -n 's/^ZELKOV_WINE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$wine" ] || fail "no wine configured in $build"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Read by qemu only, where it runs 32-bit wine. Wine maps its shared data at 0x7ffe0000, so
# the guest address space must reach above it; just above, since qemu searches that space
# page by page on every mapping (a wine start takes 2 s, not 45 s as with the whole 4 GiB).
export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0x81000000}
# Built and checked, but not runnable here: status 3 tells the caller to test the 64-bit build
# instead, so the suite still runs under wine.
not_runnable() {
    echo "WINDOWS LEG: zelkov.exe for 32-bit Windows is built, but does not run here: $*" >&2
    exit 3
}
emulated=0
if [[ "$toolchain" != *x86_64* ]] && ! "$wine" --version >/dev/null 2>&1; then
    enable_i386_emulation ||
        not_runnable "this machine's kernel runs no 32-bit x86 programs, and qemu could not be set up"
    emulated=1
fi
# Under emulation, wine not starting is the emulator's limit, not the program's fault.
start_failed() {
    [ "$emulated" -eq 0 ] || not_runnable "wine under qemu-i386: $*"
    fail "$*"
}
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -d "$WINEPREFIX" ]; then
    "$wine" wineboot -i >/dev/null 2>&1 || start_failed "wineboot -i could not create $WINEPREFIX"
    wineserver -w # the server that created it ends first
fi
wineserver -p || fail "no wine server for $WINEPREFIX"
"$wine" wineboot >/dev/null 2>&1 || start_failed "wine could not boot its services"

# The program must really run: a wine that starts nothing and ends with status 0 is no pass.
usage=$("$build/wine-run.sh" "$exe" -? 2>&1 >/dev/null) || true
grep -q 'Usage:' <<<"$usage" || start_failed "zelkov.exe did not run under wine: ${usage:-no output}"

ctest --test-dir "$build" --output-on-failure --no-tests=error -j2 || fail "tests under wine"
