#!/usr/bin/env bash
# Makes the Debian package from a finished build, checks it with lintian and its dependencies,
# installs it with `apt-get install ./<package>.deb`, shows its manual pages and the completion,
# runs the installed qz7ctl on a copy of the demo game folder and the installed qz7manager
# offscreen, and removes the package again. The package is removed
# on every way out once the installation has begun, a failed step and an interruption included.
# Skips (exit 77) without root or apt-get, and when the package is already installed: an
# installation that was there before is left alone.
#
# Usage: deb_package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$(realpath "$1")"
source_dir="$(realpath "$2")"
package=qz7-launch-manager

skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in apt-get dpkg-deb dpkg-query cpack; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
is_installed() {
    dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed
}
is_installed && skip "$package is installed already; this test does not touch it"

work="$(mktemp -d)"
began_install=0
cleanup() {
    if [ "$began_install" -eq 1 ] && dpkg-query -W "$package" >/dev/null 2>&1; then
        apt-get -o DPkg::Lock::Timeout=900 remove --purge -y -q "$package" >/dev/null ||
            echo "could not remove $package: remove it by hand" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

failures=0
check() {
    local what="$1"
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}

(cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
deb_name="$(cd "$work/package" && ls -- *.deb)"
echo "made $deb_name"

# Debian's own checks of the package: no error and no warning.
if command -v lintian >/dev/null; then
    lintian_status=0
    lintian --fail-on error,warning "$work/package/$deb_name" >"$work/lintian.log" 2>&1 ||
        lintian_status=$?
    echo "lintian (exit status $lintian_status):"
    grep -v "running with root privileges" "$work/lintian.log" || true
    check "lintian finds no error or warning" test "$lintian_status" -eq 0
else
    check "lintian is installed" false
fi

# The libraries the executables link, as dpkg-shlibdeps found them, and libcurl4, which alerts
# load when they first send.
depends="$(dpkg-deb -f "$work/package/$deb_name" Depends)"
echo "Depends: $depends"
depended="$(sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends")"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo libcurl4 \
    libminiupnpc17; do
    check "depends on $library" grep -qxF "$library" <<<"$depended"
done

began_install=1
(cd "$work/package" && DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "./$deb_name") \
    >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; exit 1; }
check "installed" is_installed

check "qz7ctl on PATH is the installed one" test "$(command -v qz7ctl)" = /usr/bin/qz7ctl
check "qz7manager installed" test -x /usr/bin/qz7manager
check "desktop entry" grep -qx "Exec=qz7manager" /usr/share/applications/qz7manager.desktop
for size in 16 32 48 64; do
    check "icon ${size}x${size}" test -s "/usr/share/icons/hicolor/${size}x${size}/apps/qz7manager.png"
done
copyright="/usr/share/doc/$package/copyright"
check "copyright file carries the licence" grep -q "^ Permission is hereby granted, free of charge" \
    "$copyright"
check "copyright file names the holder" grep -qx \
    "Copyright: $(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")" "$copyright"

# The manual pages as man shows them, and the completion as bash loads it.
for page in qz7ctl qz7manager; do
    shown="$(LANG=C.UTF-8 MANPAGER=cat MANWIDTH=100 man "$page" 2>&1)" || shown=""
    echo "--- man $page"
    echo "$shown"
    check "man $page" grep -q "^NAME\|^ИМЯ" <<<"$shown"
done
check "man qz7ctl has the exit statuses" grep -q "КОДЫ ЗАВЕРШЕНИЯ" <<<"$(LANG=C.UTF-8 MANPAGER=cat man qz7ctl)"
completion=/usr/share/bash-completion/completions/qz7ctl
completed="$(bash -c 'source "$1" && complete -p qz7ctl' - "$completion" 2>&1)" || true
echo "--- complete -p qz7ctl: $completed"
check "bash completion of qz7ctl" test "$completed" = "complete -F _qz7ctl qz7ctl"

cp -r "$source_dir/demo" "$work/game"
listed="$(cd "$work/game" && qz7ctl list)" || listed="qz7ctl list failed"
echo "$listed"
for name in "Турнир" "Все против всех" "Захват флага (хардкор)"; do
    check "installed qz7ctl lists $name" grep -q "	$name	" <<<"$listed"
done
shown="$(cd "$work/game" && QT_QPA_PLATFORM=offscreen QZ7_EXIT_WHEN_SHOWN=1 timeout 120 \
    /usr/bin/qz7manager 2>"$work/manager.err")" || cat "$work/manager.err" >&2
check "installed qz7manager starts and shows its window" test "$shown" = shown

DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 remove --purge -y -q "$package" \
    >"$work/remove.log" 2>&1 || cat "$work/remove.log" >&2
check "removed" bash -c "! dpkg-query -W '$package' >/dev/null 2>&1"
check "qz7ctl gone" test ! -e /usr/bin/qz7ctl
check "manual page gone" test ! -e /usr/share/man/man1/qz7ctl.1.gz

echo "$failures failed"
[ "$failures" -eq 0 ]
