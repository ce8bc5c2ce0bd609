#!/usr/bin/env bash
# CI: the packages a user downloads, made by `cpack` and checked as a user would use them.
#   .ci/package-check.sh [linux-build-dir] [windows-build-dir]   (default: build-pkg, build-pkg-win)
# The Debian package from the Linux build: exactly its files, its metadata, lintian (which may
# only miss a licence: the project gives none), and its zelkov writing the example's makefile.
# The zip from the 32-bit MinGW build: exactly its files, a zelkov.exe that needs only the
# system's DLLs and writes the example's makefile under wine. Installs what it needs (as root,
# with apt). The last line says whether all passed; the exit status is 0 only then.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "PACKAGE CHECK FAILED: $*" >&2
    exit 1
}
not_runnable() { fail "zelkov.exe does not run under wine here: $*"; }
wine_who="package check"
source .ci/wine-setup.sh

linux=$(realpath -m "${1:-build-pkg}")
windows=$(realpath -m "${2:-build-pkg-win}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

packages=(dpkg-dev lintian groff-base unzip g++-mingw-w64-i686-posix wine wine64 wine32:i386)
install_missing "${packages[@]}"

# package BUILD-DIR [CONFIGURE OPTIONS]: a release build without the tests, then cpack.
package() {
    local build=$1
    shift
    cmake -S . -B "$build" -DZELKOV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null &&
        cmake --build "$build" -j2 >/dev/null &&
        rm -f "$build"/*.deb "$build"/*.zip &&
        (cd "$build" && cpack >/dev/null)
}

# Same makefile as examples/expected.mk, nothing on standard error, status 0: the command
# line the tests use for the example, run in DIR by the rest of the arguments.
check_example() {
    local dir=$1 what=$2
    shift 2
    local status=0
    (cd "$dir" && "$@" -Iinclude 'src\*.f90' 'src\*.c' >"$scratch/$what.mk" 2>"$scratch/$what.err") ||
        status=$?
    if [ "$status" -ne 0 ] || [ -s "$scratch/$what.err" ]; then
        fail "$what: status $status on the example, standard error: $(cat "$scratch/$what.err")"
    fi
    tr -d '\r' <"$scratch/$what.mk" | cmp -s - examples/expected.mk ||
        fail "$what: the example's makefile differs from examples/expected.mk"
    echo "package check: $what writes the example's makefile"
}

# The files of a package (directories aside) are exactly WANT: sorted paths, one a line.
check_listing() {
    local what=$1 want=$2 got=$3
    [ "$got" = "$want" ] || fail "$what holds other files than expected:
$(diff <(echo "$want") <(echo "$got") || true)"
}

# --- The Debian package ---
package "$linux" || fail "build or cpack in $linux"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$linux/CMakeCache.txt")
deb="$linux/zelkov_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "cpack made no $deb"
check_listing "$(basename "$deb")" "\
./usr/bin/zelkov
./usr/share/doc/zelkov/README.md
./usr/share/doc/zelkov/changelog.gz
./usr/share/man/man1/zelkov.1.gz" "$(dpkg-deb -c "$deb" | awk '!/^d/ {print $6}' | LC_ALL=C sort)"

info=$(dpkg-deb --info "$deb")
echo "$info"
for field in "Package: zelkov" "Version: $version" "Section: devel" "Priority: optional" \
    "Maintainer: .*<.*@.*>" "Depends: .*libc6.*libstdc++6" "Description: [a-z]"; do
    grep -q "^ $field" <<<"$info" || fail "$(basename "$deb"): no '$field' in its control file"
done

dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb -x $deb"
check_example examples "zelkov from $(basename "$deb")" "$scratch/root/usr/bin/zelkov"

# Lintian's only complaint may be the missing licence.
lint=$(lintian --tag-display-limit 0 "$deb" 2>&1) || true
echo "${lint:-lintian: no complaints}"
others=$(grep -E '^[EW]: ' <<<"$lint" | grep -v ': no-copyright-file$' || true)
[ -z "$others" ] || fail "lintian on $(basename "$deb"): $others"

# --- The Windows zip ---
package "$windows" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake ||
    fail "build or cpack in $windows"
zip="$windows/zelkov-$version-win32.zip"
[ -f "$zip" ] || fail "cpack made no $zip"
top="zelkov-$version-win32"
check_listing "$(basename "$zip")" "$( (
    cd examples && find . -type f | sed "s|^\.|$top/examples|"
    printf '%s\n' "$top/README.md" "$top/zelkov.exe" "$top/zelkov.txt"
) | LC_ALL=C sort)" "$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)"
unzip -q "$zip" -d "$scratch/win" || fail "unzip $zip"
exe="$scratch/win/$top/zelkov.exe"
objdump=$(sed -n 's/^CMAKE_OBJDUMP:[A-Z]*=//p' "$windows/CMakeCache.txt")
dlls=$("$objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "zelkov.exe needs DLLs beyond the system's: $dlls"
! grep -q $'[\b\e]' "$scratch/win/$top/zelkov.txt" || fail "zelkov.txt is not plain text"

wine=$(command -v wine) || fail "no wine"
wine_boot "$windows/wineprefix" 32
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
check_example "$scratch/win/$top/examples" "zelkov.exe from $(basename "$zip")" "$wine" "$exe"

echo "PACKAGE CHECK PASSED: $(basename "$deb") and $(basename "$zip")"
