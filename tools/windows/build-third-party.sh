#!/usr/bin/env bash
# Prepares everything the Windows cross build needs on a Debian 12 machine:
#   - the project's packages plus the mingw-w64 cross compiler and wine (apt),
#   - deb-src entries so that `apt-get source` works,
#   - static Windows builds of libjpeg-turbo (no SIMD), miniupnpc and GoogleTest, and the
#     header-only CLI11 and nlohmann-json, installed into <build folder>/third-party/prefix.
# Every step is skipped when its result is already there, so running it again is cheap.
#
# Usage: tools/windows/build-third-party.sh [build folder]   (default: build-windows)
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build_dir="$(realpath -m "${1:-$repo_root/build-windows}")"
third_party="$build_dir/third-party"
source_dir="$third_party/src"
work_dir="$third_party/build"
prefix="$third_party/prefix"
toolchain="$repo_root/cmake/mingw-w64-x86_64.cmake"
jobs="${WIN_BUILD_JOBS:-2}"

log() { printf '[third-party] %s\n' "$*" >&2; }
# shellcheck source=debian-packages.sh
. "$repo_root/tools/windows/debian-packages.sh"

# Downloads and unpacks a Debian source package once; prints its folder.
fetch_source() {
    local package="$1" pattern="$2" found
    mkdir -p "$source_dir"
    found="$(find "$source_dir" -maxdepth 1 -type d -name "$pattern" | sort | tail -n 1)"
    if [ -z "$found" ]; then
        log "fetching source of $package"
        if ! (cd "$source_dir" && apt-get source -qq "$package" >&2); then
            apt_update
            (cd "$source_dir" && apt-get source -qq "$package" >&2)
        fi
        found="$(find "$source_dir" -maxdepth 1 -type d -name "$pattern" | sort | tail -n 1)"
    fi
    [ -n "$found" ] || { log "source of $package not found"; return 1; }
    printf '%s\n' "$found"
}

# A stamp per library, written only after its install finished, so that an interrupted build
# is done again rather than taken as present.
installed() {
    if [ -f "$prefix/.installed-$1" ]; then
        log "$1 present"
        return 0
    fi
    return 1
}

mark_installed() { touch "$prefix/.installed-$1"; }

# Configures, builds and installs one CMake project into the prefix with the cross toolchain.
cmake_build() {
    local name="$1" source="$2"
    shift 2
    log "building $name"
    cmake -S "$source" -B "$work_dir/$name" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        "$@" >/dev/null
    cmake --build "$work_dir/$name" -j "$jobs" >/dev/null
    cmake --install "$work_dir/$name" >/dev/null
    mark_installed "$name"
}

build_libjpeg() {
    installed libjpeg-turbo && return 0
    # No SIMD: the assembler parts need nasm and bring nothing to a few small previews.
    cmake_build libjpeg-turbo "$(fetch_source libjpeg-turbo 'libjpeg-turbo-*')" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DREQUIRE_SIMD=OFF \
        -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
}

build_miniupnpc() {
    installed miniupnpc && return 0
    cmake_build miniupnpc "$(fetch_source miniupnpc 'miniupnpc-*')" \
        -DUPNPC_BUILD_STATIC=ON -DUPNPC_BUILD_SHARED=OFF -DUPNPC_BUILD_TESTS=OFF \
        -DUPNPC_BUILD_SAMPLE=OFF
}

build_googletest() {
    installed googletest && return 0
    cmake_build googletest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON
}

# Header-only libraries serve every target as Debian ships them; the cross build looks for
# packages only under its prefix, so their headers and CMake package files are copied there.
copy_header_only() {
    local headers="$1" package="$2"
    installed "$package" && return 0
    log "copying $package (header-only)"
    mkdir -p "$prefix/include" "$prefix/share/cmake"
    cp -r "/usr/include/$headers" "$prefix/include/"
    cp -r "/usr/share/cmake/$package" "$prefix/share/cmake/"
    mark_installed "$package"
}

install_windows_packages
ensure_deb_src
mkdir -p "$prefix"
build_libjpeg
build_miniupnpc
build_googletest
copy_header_only CLI CLI11
copy_header_only nlohmann nlohmann_json
log "done: $prefix"
