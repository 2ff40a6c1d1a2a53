# Environment shared by everything that runs wine for the Windows tests. Source it, then call
# wine_environment with the wine prefix folder.

wine_environment() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    # No offers to download Mono or Gecko; wine's own errors stay visible, its notes on
    # unimplemented corners do not.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    export WINEDEBUG=fixme-all
    # Debian's 64-bit loader, called directly: the "wine" wrapper would ask for the 32-bit
    # part on every start.
    if [ -x /usr/lib/wine/wine64 ]; then
        export WINELOADER=/usr/lib/wine/wine64
    else
        WINELOADER="$(command -v wine)"
        export WINELOADER
    fi
    # Windows programs take the time zone from the system (wine: from /etc/localtime); a TZ
    # variable would reach the C runtime alone, in a syntax of its own.
    unset DISPLAY WAYLAND_DISPLAY TZ
}

# True when this process sits in a network namespace whose only interface is the loopback one,
# which is the only place wine may run here.
network_isolated() {
    [ -r /proc/self/net/dev ] || return 1
    [ "$(awk -F: 'NR > 2 { gsub(/ /, "", $1); if ($1 != "lo") n++ } END { print n + 0 }' \
        /proc/self/net/dev)" -eq 0 ]
}
