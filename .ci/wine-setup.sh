# shellcheck shell=bash disable=SC2154 # wine and wine_who are the caller's
# Sourced by the CI scripts that run Windows programs under wine (.ci/windows-leg.sh,
# .ci/package-check.sh): package installation with apt, qemu-i386 for a kernel that runs no
# 32-bit x86 code, and a booted wine prefix. The caller defines fail (report, exit 1) and
# not_runnable (report, exit 3), and sets wine_who, the name its messages begin with.

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

install_packages() {
    "${sudo[@]}" apt-get update -q &&
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q "$@"
}

# install_missing PACKAGE...: installs those of the packages that are not installed yet
# (i386 ones after enabling that architecture); fails the run when that cannot be done.
install_missing() {
    local p missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    ((${#missing[@]} > 0)) || return 0
    echo "$wine_who: installing ${missing[*]}"
    { "${sudo[@]}" dpkg --add-architecture i386 && install_packages "${missing[@]}"; } ||
        fail "could not install ${missing[*]}"
}

# Where the kernel runs no 32-bit x86 code (built without IA-32 emulation), qemu's user-mode
# emulator runs wine's 32-bit programs: registered for i386 programs with binfmt_misc, with
# F so that the emulator is opened now and found from any process. False when any step is not
# possible here.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
enable_i386_emulation() {
    local binfmt=/proc/sys/fs/binfmt_misc
    echo "$wine_who: this kernel runs no 32-bit x86 programs; setting up qemu-i386 for wine"
    command -v qemu-i386 >/dev/null || install_packages --no-install-recommends qemu-user || return 1
    [ -e "$binfmt/register" ] ||
        "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" || return 1
    if [ ! -e "$binfmt/qemu-i386" ]; then
        printf ':qemu-i386:M::%s:%s:%s:F\n' "$i386_magic" "$i386_mask" "$(command -v qemu-i386)" |
            "${sudo[@]}" tee "$binfmt/register" >/dev/null || return 1
    fi
    "$wine" --version >/dev/null 2>&1
}

# wine_boot PREFIX 32|64: one wine server for the whole run in the wine prefix PREFIX (created
# when missing), with the services booted (otherwise every program waits for them to let go
# of its output); wine is the loader in $wine. For 32-bit programs on a kernel that cannot run
# them, sets up qemu-i386 first. Sets emulated to 1 when wine runs emulated.
wine_boot() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    # Read by qemu only, where it runs 32-bit wine. Wine maps its shared data at 0x7ffe0000, so
    # the guest address space must reach above it; just above, since qemu searches that space
    # page by page on every mapping (a wine start takes 2 s, not 45 s as with the whole 4 GiB).
    export QEMU_RESERVED_VA=${QEMU_RESERVED_VA:-0x81000000}
    emulated=0
    if [ "$2" = 32 ] && ! "$wine" --version >/dev/null 2>&1; then
        enable_i386_emulation ||
            not_runnable "this machine's kernel runs no 32-bit x86 programs, and qemu could not be set up"
        emulated=1
    fi
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    if [ ! -d "$WINEPREFIX" ]; then
        "$wine" wineboot -i >/dev/null 2>&1 || start_failed "wineboot -i could not create $WINEPREFIX"
        wineserver -w # the server that created it ends first
    fi
    wineserver -p || fail "no wine server for $WINEPREFIX"
    "$wine" wineboot >/dev/null 2>&1 || start_failed "wine could not boot its services"
}

# Under emulation, wine not starting is the emulator's limit, not the program's fault.
start_failed() {
    [ "$emulated" -eq 0 ] || not_runnable "wine under qemu-i386: $*"
    fail "$*"
}
