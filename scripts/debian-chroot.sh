# Fresh minimal Debian systems to install and test TALVEN in, made with
# debootstrap (minbase) from the Debian mirror that this machine's apt sources
# name. Each release's bare system is kept in ~/.cache/talven and copied for
# every use, so each use starts from a bare system. Needs root.
#   source scripts/debian-chroot.sh
#   root=$(fresh_chroot trixie); ...; remove_chroot "$root"

debian_mirror() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' \
        | awk '$2 == "bookworm" || $2 == "trixie" { print $1; exit }'
}

fresh_chroot() {
    local suite=$1 mirror
    local bare=${XDG_CACHE_HOME:-$HOME/.cache}/talven/debian-$suite-minbase
    if [[ ! -d $bare ]]; then
        command -v debootstrap >/dev/null || {
            apt-get update -qq
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
        } >&2
        mirror=$(debian_mirror)
        [[ -n $mirror ]] || { echo "No Debian mirror in this machine's apt sources." >&2; return 1; }
        rm -rf "$bare.partial"
        mkdir -p "$(dirname "$bare")"
        echo "Making a bare Debian $suite from $mirror into $bare" >&2
        debootstrap --variant=minbase "$suite" "$bare.partial" "$mirror" >/dev/null
        mv "$bare.partial" "$bare"
    fi
    local root
    root=$(mktemp -d "/var/tmp/talven-$suite.XXXXXX")
    cp -a "$bare/." "$root"
    mount -t proc proc "$root/proc"
    # Pseudo-terminals of the chroot's own, for the serial tests.
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    ln -sf pts/ptmx "$root/dev/ptmx"
    echo "$root"
}

remove_chroot() {
    umount "$1/dev/pts" "$1/proc" 2>/dev/null || true
    rm -rf --one-file-system "$1"
}
