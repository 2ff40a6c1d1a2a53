# Debian packages and source entries shared by the Windows build scripts. Source it after
# defining log(); the functions run apt as root (directly or through sudo).

apt_lock=(-o DPkg::Lock::Timeout=900)
# Added to the project's own list of packages (tools/install-dependencies.sh).
# fonts-wine: wine's own Tahoma, the face of Windows dialogs and menus.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine dpkg-dev
    googletest xvfb fonts-wine)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_update() {
    # Another process may hold the list lock for a while; retry a bounded number of times.
    local attempt
    for attempt in 1 2 3 4 5; do
        if as_root apt-get "${apt_lock[@]}" update -qq; then return 0; fi
        log "apt-get update failed (attempt $attempt), retrying"
        sleep 20
    done
    return 1
}

# Mirrors every deb entry of the machine as a deb-src entry, in files of our own. A second run
# finds deb-src entries already there and leaves everything alone.
ensure_deb_src() {
    local stanzas=/etc/apt/sources.list.d/steelhorizon-deb-src.sources
    local lines=/etc/apt/sources.list.d/steelhorizon-deb-src.list
    if grep -qs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources ||
        grep -qs '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list; then
        log "deb-src entries present"
        return 0
    fi
    log "adding deb-src entries"
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        # Each stanza whose Types name "deb", with its type changed to deb-src.
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:[^\n]*deb([ \t\n]|$)/ {
                 sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$file"
    done | as_root tee "$stanzas" >/dev/null
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        if [ -f "$file" ]; then sed -n 's/^deb /deb-src /p' "$file"; fi
    done | as_root tee "$lines" >/dev/null
    [ -s "$lines" ] || as_root rm -f "$lines"
    [ -s "$stanzas" ] || as_root rm -f "$stanzas"
    if [ ! -e "$lines" ] && [ ! -e "$stanzas" ]; then
        log "no deb entries found to mirror as deb-src"
        return 1
    fi
    apt_update
}

install_windows_packages() {
    bash "$(dirname "${BASH_SOURCE[0]}")/../install-dependencies.sh" "${windows_packages[@]}"
}
