#!/usr/bin/env bash
# Builds the Qt the Windows program links against: Debian's qt6-base source of the version
# installed on this machine, cross-compiled for 64-bit Windows with mingw-w64 (posix threads),
# shared (DLLs), with only Core, Gui, Widgets and Test, the windows and offscreen platform
# plugins, and bundled zlib, libpng, pcre2 and FreeType. The host's own Qt provides the build
# tools (moc, rcc, uic); no other Qt is used.
#
# The result goes into a cache folder outside the repository and every build folder, named by
# the source version and a hash of the configure options, so a second run (or another checkout)
# finds it complete and does nothing. A stamp written after the install marks it complete.
#
# Usage: tools/windows/build-qt.sh            prints the install folder on the last line
# Environment: QZ7_QT_CACHE  cache folder (default /var/cache/qz7, or ~/.cache/qz7 when that
#                            cannot be written)
#              QT_BUILD_JOBS parallel jobs (default: the number of cores)
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
toolchain="$repo_root/cmake/mingw-w64-x86_64.cmake"

log() { printf '[qt] %s\n' "$*" >&2; }
# shellcheck source=debian-packages.sh
. "$repo_root/tools/windows/debian-packages.sh"

cache_root() {
    if [ -n "${QZ7_QT_CACHE:-}" ]; then
        printf '%s\n' "$QZ7_QT_CACHE"
    elif mkdir -p /var/cache/qz7 2>/dev/null && [ -w /var/cache/qz7 ]; then
        printf '%s\n' /var/cache/qz7
    else
        printf '%s\n' "${XDG_CACHE_HOME:-$HOME/.cache}/qz7"
    fi
}

# Everything the Windows program needs from Qt and nothing else. Changing this list changes
# the hash and so builds a new Qt in a folder of its own.
configure_options=(
    -xplatform win32-g++ -qt-host-path /usr -release -shared
    -nomake examples -nomake tests
    -no-opengl -no-feature-vulkan -no-dbus -no-feature-network -no-feature-sql
    -no-feature-xml -no-feature-printsupport -no-feature-concurrent -no-feature-tabletevent
    -no-direct2d -no-feature-directwrite3 -no-harfbuzz -no-libjpeg
    -qt-zlib -qt-libpng -qt-pcre -qt-freetype
)

install_windows_packages
version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
[ -n "$version" ] || { log "qt6-base-dev is not installed"; exit 1; }
compiler="$(x86_64-w64-mingw32-g++-posix -dumpfullversion)"
hash="$(printf '%s\n' "${configure_options[@]}" "mingw-w64 g++ $compiler" | sha256sum | cut -c1-12)"
upstream="${version%%+*}"
upstream="${upstream%%-*}"
cache="$(cache_root)"
install_dir="$cache/qt-$upstream-$hash"
stamp="$install_dir/.complete"

# One build at a time per cache: a second run waits and then finds the result complete.
mkdir -p "$cache"
exec 9>"$cache/qt-build.lock"
flock 9

if [ -f "$stamp" ]; then
    log "Qt $version for Windows present in $install_dir"
    printf '%s\n' "$install_dir"
    exit 0
fi

# The source of exactly the installed version, so that the host tools and the Windows
# libraries agree; fetched and unpacked once.
source_parent="$cache/src/qt6-base-$version"
source_dir="$(find "$source_parent" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' \
    2>/dev/null | head -n 1 || true)"
if [ -z "$source_dir" ] || [ ! -f "$source_parent/.unpacked" ]; then
    ensure_deb_src
    rm -rf "$source_parent"
    mkdir -p "$source_parent"
    log "fetching the source of qt6-base $version"
    if ! (cd "$source_parent" && apt-get source -qq "qt6-base=$version" >&2); then
        apt_update
        (cd "$source_parent" && apt-get source -qq "qt6-base=$version" >&2)
    fi
    source_dir="$(find "$source_parent" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' |
        head -n 1)"
    [ -n "$source_dir" ] || { log "unpacked source not found in $source_parent"; exit 1; }
    touch "$source_parent/.unpacked"
fi

# The host Qt's CMake package files (Qt6, Qt6CoreTools, ...) sit in the multiarch folder.
host_cmake_dir="$(dirname "$(dirname "$(dpkg -L qt6-base-dev | grep -m1 '/cmake/Qt6/Qt6Config.cmake$')")")"
jobs="${QT_BUILD_JOBS:-$(nproc)}"
build_dir="$cache/build/qt-$upstream-$hash"

# A partial install from an interrupted run is removed rather than trusted.
rm -rf "$install_dir" "$build_dir"
mkdir -p "$build_dir"
started=$SECONDS
log "configuring Qt $version for Windows into $install_dir"
(cd "$build_dir" && nice -n 10 "$source_dir/configure" -prefix "$install_dir" \
    "${configure_options[@]}" -- -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir") >"$build_dir/configure.log" 2>&1 || {
    tail -n 40 "$build_dir/configure.log" >&2
    log "configure failed; see $build_dir/configure.log"
    exit 1
}
configured=$SECONDS
log "configured in $((configured - started)) s; building with $jobs jobs"
nice -n 10 cmake --build "$build_dir" --parallel "$jobs" >"$build_dir/build.log" 2>&1 || {
    tail -n 40 "$build_dir/build.log" >&2
    log "build failed; see $build_dir/build.log"
    exit 1
}
built=$SECONDS
cmake --install "$build_dir" >"$build_dir/install.log" 2>&1
# The license texts travel with the libraries (the Windows zip ships them).
mkdir -p "$install_dir/licenses"
cp "$source_dir"/LICENSES/*.txt "$install_dir/licenses/" 2>/dev/null ||
    cp "$source_dir"/LICENSE.* "$install_dir/licenses/"
touch "$stamp"
rm -rf "$build_dir"
log "built in $((built - configured)) s; installed in $((SECONDS - built)) s"
printf '%s\n' "$install_dir"
