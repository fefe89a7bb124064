# Sourced: debian_archive_uri prints the Debian archive this machine's own apt
# configuration uses for its release (one-line and deb822 sources), so that
# nothing in the project names a mirror.
debian_archive_uri() {
    local codename etc=${VARNOK_APT_ETC:-/etc/apt}
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    local files=""
    [ -f "$etc/sources.list" ] && files=$etc/sources.list
    for f in "$etc"/sources.list.d/*.list "$etc"/sources.list.d/*.sources; do
        [ -f "$f" ] && files="$files $f"
    done
    local uri=""
    [ -n "$files" ] && uri=$(awk -v want="$codename" '
        function pick(types, uris, suites,   n, i, s) {
            if (types !~ /(^| )deb( |$)/) return
            n = split(suites, s, " ")
            for (i = 1; i <= n; i++)
                if (s[i] == want) { split(uris, u, " "); print u[1]; exit }
        }
        FILENAME ~ /\.sources$/ {
            if ($0 ~ /^[ \t]*$/) { pick(t, r, su); t = r = su = ""; next }
            if ($1 == "Types:") { $1 = ""; t = $0 " " }
            if ($1 == "URIs:") { $1 = ""; r = $0 }
            if ($1 == "Suites:") { $1 = ""; su = $0 }
            next
        }
        FNR == 1 && t != "" { pick(t, r, su); t = r = su = "" }
        $1 == "deb" {
            i = 2
            if ($2 ~ /^\[/) while (i <= NF && $i !~ /\]$/) i++
            if ($2 ~ /^\[/) i++
            if ($(i + 1) == want) { print $i; exit }
        }
        END { if (t != "") pick(t, r, su) }
    ' $files | head -n 1)
    if [ -z "$uri" ]; then
        echo "debian-mirror: no 'deb' source for '$codename' in $etc/sources.list or $etc/sources.list.d" >&2
        return 1
    fi
    echo "${uri%/}"
}
