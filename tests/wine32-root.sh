#!/usr/bin/env bash
# 32-bit Wine for the 32-bit Windows tests, from a Debian root of its own, where the host cannot install wine32
# (its archive's i386 side mid-sync, or behind the 64-bit security updates). The root comes from the main archive
# alone, whose amd64 and i386 sides agree, is made once, outside the source tree, and changes no package of the
# host. Wine runs in it through a mount namespace: the root seen through an overlay (so never written), with /proc,
# /dev, /tmp and the given folders of the host at their own paths.
# usage: tests/wine32-root.sh make ROOT   (needs mmdebstrap, and root or user namespaces)
#        tests/wine32-root.sh run ROOT FOLDER... -- COMMAND [ARG...]
#            runs COMMAND (its /usr/lib/wine/wine, or wineserver) in the current folder, each FOLDER bound in
set -euo pipefail
what=$1 root=$2
shift 2

case $what in
make)
    # The main archive of this host's own sources, in either format: the first that serves its release itself.
    . /etc/os-release
    suite=${VERSION_CODENAME:?no release name in /etc/os-release}
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        awk -v suite="$suite" '$1 == "deb" { sub(/ \[[^]]*\]/, ""); if ($3 == suite) { print $2; exit } }' || true)
    [ -n "$uri" ] || uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk -v suite="$suite" '
        /^$/ { if (deb && mine) { print uri; exit } deb = mine = 0; uri = "" }
        /^Types:/ { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
        /^URIs:/ { uri = $2 }
        /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) mine = 1 }
        END { if (deb && mine) print uri }' | head -n1 || true)
    [ -n "$uri" ] || { echo "wine32-root.sh: no source of $suite in /etc/apt" >&2; exit 1; }
    mkdir -p "$(dirname "$root")"
    rm -rf "$root.new"
    mmdebstrap --variant=minbase --architectures=amd64,i386 --include=wine,wine32,wine64 \
        "$suite" "$root.new" "deb $uri $suite main"
    mv "$root.new" "$root"
    ;;
run)
    as_root=()
    [ "$(id -u)" = 0 ] || as_root=(--user --map-root-user)
    # The overlay's mount point and its writable layer, beside the root: each namespace mounts its own there.
    view=$root.view
    mkdir -p "$view"
    exec unshare "${as_root[@]}" --mount --propagation private bash -c '
        set -e
        root=$1 view=$2 here=$3
        shift 3
        mount -t tmpfs tmpfs "$view"
        mkdir "$view/upper" "$view/work" "$view/root"
        mount -t overlay overlay -o "lowerdir=$root,upperdir=$view/upper,workdir=$view/work" "$view/root"
        for folder in /proc /dev /tmp ${TMPDIR:+"$TMPDIR"}; do
            mkdir -p "$view/root$folder" && mount --rbind "$folder" "$view/root$folder"
        done
        while [ "$1" != -- ]; do
            mkdir -p "$view/root$1" && mount --bind "$1" "$view/root$1"
            shift
        done
        shift
        cd "$view/root" && exec chroot . bash -c "cd \"\$0\" && exec \"\$@\"" "$here" "$@"' \
        bash "$root" "$view" "$PWD" "$@"
    ;;
*)
    echo "usage: $0 make ROOT | run ROOT FOLDER... -- COMMAND..." >&2
    exit 2
    ;;
esac
