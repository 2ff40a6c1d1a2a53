#!/usr/bin/env bash
# Makes the Windows zip with CPack, unpacks it into a fresh folder beside a fresh copy of demo/ and
# checks it: it holds what a host needs; every program and DLL in it is stripped (no debug
# section, no COFF symbol table) while the build folder keeps its unstripped programs; it is at
# most 16.5 MB (16 500 000 bytes) packed. It prints the packed and unpacked size and the five
# largest files. Then it starts the unpacked qz7manager.exe in the game folder as
# check-manager-shown.sh does, and the unpacked qz7ctl.exe: against the Linux qz7ctl
# (check-qz7ctl.sh) when QZ7_LINUX_QZ7CTL names one, else once. A DLL missing from the zip, or one
# the strip broke, stops either at start.
#
# Usage: check-zip.sh BUILD_FOLDER WORK_FOLDER
# Needs the wine environment of run-tests.sh (its network namespace and X display).
# Environment: QZ7_LINUX_QZ7CTL  the Linux build's qz7ctl (run-tests.sh sets it when there is one)
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_dir="$(realpath "$1")"
work="$(realpath -m "$2")"
max_packed=16500000
objdump=x86_64-w64-mingw32-objdump

# The unsigned 32-bit little-endian number at byte OFFSET of FILE.
u32() { od -An -tu4 --endian=little -j "$2" -N4 "$1" | tr -d ' \n'; }

# Prints what keeps the PE file from being stripped, one line each: its debug sections, its COFF
# symbol table (NumberOfSymbols of the file header, and the bytes at PointerToSymbolTable).
# Nothing when it is stripped.
unstripped_parts() {
    local file="$1" header symbols_at symbols strings_size size sections debug
    header="$(u32 "$file" 60 2>/dev/null)"  # e_lfanew: where "PE\0\0" and the file header begin
    if [ -z "$header" ] ||
        [ "$(od -An -tx1 -j "$header" -N4 "$file" 2>/dev/null | tr -d ' \n')" != 50450000 ]; then
        echo "no PE header"
        return
    fi
    symbols_at="$(u32 "$file" $((header + 12)))"
    symbols="$(u32 "$file" $((header + 16)))"
    size="$(stat -c %s "$file")"
    if [ "$symbols" != 0 ]; then
        echo "a COFF symbol table of $symbols symbols"
    elif [ "$symbols_at" != 0 ]; then
        # Without symbols the pointer leads to the string table alone, which holds the section
        # names longer than eight characters (Qt's .qtversion): its size, the first four bytes,
        # reaches to the end of the file. More bytes there are symbol data.
        strings_size="$(u32 "$file" "$symbols_at" 2>/dev/null)"
        if [ -z "$strings_size" ] || [ $((symbols_at + strings_size)) -ne "$size" ]; then
            echo "$((size - symbols_at)) bytes of symbol data at byte $symbols_at"
        fi
    fi
    if ! sections="$("$objdump" -h "$file")"; then
        echo "sections that $objdump cannot read"
        return
    fi
    debug="$(awk '$1 ~ /^[0-9]+$/ && $2 ~ /^\.z?debug/ { printf "%s ", $2 }' <<<"$sections")"
    [ -z "$debug" ] || echo "debug sections ${debug% }"
}

megabytes() { awk -v bytes="$1" 'BEGIN { printf "%.1f MB", bytes / 1000000 }'; }

rm -rf "$work"
mkdir -p "$work/unpacked"
cpack -G ZIP --config "$build_dir/CPackConfig.cmake" -B "$work/package" >/dev/null
zips=("$work"/package/qz7-*-win64.zip)
[ "${#zips[@]}" -eq 1 ] && [ -f "${zips[0]}" ] || { echo "no single qz7-*-win64.zip" >&2; exit 1; }
zip_name="$(basename "${zips[0]}")"
(cd "$work/unpacked" && cmake -E tar xf "${zips[0]}")
unpacked="$work/unpacked/${zip_name%.zip}"

faults=0
for file in qz7manager.exe qz7ctl.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    platforms/qwindows.dll styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll README.txt \
    licenses/qt/LGPL-3.0-only.txt licenses/mingw-w64-runtime/gcc-runtime-copyright.txt; do
    if [ ! -s "$unpacked/$file" ]; then
        echo "$zip_name lacks $file" >&2
        faults=$((faults + 1))
    fi
done

# Every program and DLL, wherever it lies in the zip.
pe_files=0
while IFS= read -r -d '' file; do
    pe_files=$((pe_files + 1))
    while IFS= read -r part; do
        echo "$zip_name: ${file#"$unpacked/"} is not stripped: $part" >&2
        faults=$((faults + 1))
    done < <(unstripped_parts "$file")
done < <(find "$unpacked" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
echo "$zip_name: $pe_files programs and DLLs checked for debug sections and symbol tables"
# The same check sees the build folder's programs unstripped: it finds what it looks for, and the
# strip touched only the copies in the zip.
for program in "$build_dir/app/qz7manager.exe" "$build_dir/cli/qz7ctl.exe"; do
    if [ -z "$(unstripped_parts "$program")" ]; then
        echo "$program is stripped in the build folder, or the check cannot see it" >&2
        faults=$((faults + 1))
    fi
done

packed="$(stat -c %s "${zips[0]}")"
unpacked_size="$(find "$unpacked" -type f -printf '%s\n' | awk '{ total += $1 } END { print total }')"
echo "$zip_name: $(megabytes "$packed") packed ($packed bytes, at most $max_packed)," \
    "$(megabytes "$unpacked_size") unpacked; the five largest files:"
find "$unpacked" -type f -printf '%s %P\n' | sort -nr | head -n 5 |
    while read -r size name; do printf '  %8s  %s\n' "$(megabytes "$size")" "$name"; done
if [ "$packed" -gt "$max_packed" ]; then
    echo "$zip_name is larger than $max_packed bytes" >&2
    faults=$((faults + 1))
fi
[ "$faults" -eq 0 ]

"$script_dir/check-manager-shown.sh" "$unpacked/qz7manager.exe" "$work/game"
if [ -n "${QZ7_LINUX_QZ7CTL:-}" ]; then
    "$script_dir/check-qz7ctl.sh" "$QZ7_LINUX_QZ7CTL" "$unpacked/qz7ctl.exe" "$work/qz7ctl-check"
else
    (cd "$work/game" && timeout 120 "$script_dir/wine-run.sh" "$unpacked/qz7ctl.exe" list >/dev/null)
fi
echo "$zip_name: complete, stripped, $(megabytes "$packed"), and both programs start from it"
