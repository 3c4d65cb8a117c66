#!/bin/sh
# package.sh CMAKE BINARY_DIR SOURCE_DIR: the release as people get it. The portable archive,
# unpacked into a new folder, and the Debian package, installed with apt-get, must each draw the
# same still as the build tree's player, run from another folder; neither player may name a
# folder of the build machine, the archive's player may link only libraries of the runtime
# packages that its README lists, and the package's dependencies must be among them. Removing
# the package must leave none of its files. Installing needs root and apt-get (as in CI); without
# them that part is skipped, saying so.
set -eu
cmake=$1 bin=$2 src=$3
work=$(mktemp -d)
installed=
cleanup() {
    if [ -n "$installed" ]; then apt-get remove -y -q --purge vorndle >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

version=$("$bin/vorndle" --version | cut -d' ' -f2)
echo "$version" | grep -Eq '^[0-9]+\.[0-9]+\.[0-9]+$' || fail "vorndle --version names no version: $version"

# still PLAYER NAME: beat 150 drawn by PLAYER, started in an empty folder, into $work/NAME.
still() {
    mkdir -p "$work/$2" "$work/cwd-$2"
    (cd "$work/cwd-$2" && "$1" --no-dialog --no-message-box --stills 150 --out "$work/$2") ||
        fail "$1 drew no still"
    [ -s "$work/$2/beat_150.png" ] || fail "$1 wrote no beat_150.png"
    [ -z "$(ls "$work/cwd-$2")" ] || fail "$1 wrote into the folder it was started in: $(ls "$work/cwd-$2")"
}
same_still() {
    cmp -s "$work/reference/beat_150.png" "$work/$1/beat_150.png" ||
        fail "the $1 player's still differs from the build tree's"
    echo "the $1 player draws beat 150 as the build tree does"
}
no_build_paths() {
    # (Its own loop variable: the caller's $dir must survive the call.)
    for build_path in "$src" "$bin"; do
        if strings "$1" | grep -qF "$build_path"; then fail "$1 names the build machine's $build_path"; fi
    done
}
runtime_packages=$(grep '^[a-z0-9]' "$src/packaging/runtime-packages.txt")

still "$bin/vorndle" reference

# The archive.
"$cmake" --build "$bin" --target dist >/dev/null
name=vorndle-$version-linux-$(uname -m)
mkdir "$work/unpacked"
tar -xzf "$bin/$name.tar.gz" -C "$work/unpacked"
[ "$(ls "$work/unpacked")" = "$name" ] || fail "the archive holds $(ls "$work/unpacked"), not one folder $name"
dir=$work/unpacked/$name
[ -s "$dir/README.txt" ] && [ -f "$dir/data/demo.xml" ] || fail "the archive lacks README.txt or data/"
for package in $runtime_packages; do
    grep -qF "$package" "$dir/README.txt" || fail "README.txt does not list $package"
done
no_build_paths "$dir/vorndle"
still "$dir/vorndle" archive
same_still archive

if command -v dpkg >/dev/null && command -v apt-cache >/dev/null; then
    # Every library the player loads comes from a listed package or one they depend on.
    closure=$(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
        --no-breaks --no-replaces --no-enhances $runtime_packages | grep -v '^ ' | sed 's/:.*//' | sort -u)
    ldd "$dir/vorndle" >"$work/ldd"
    ! grep -q "not found" "$work/ldd" || fail "the archive's player misses libraries: $(grep 'not found' "$work/ldd")"
    # A library may be known to dpkg under the name ldd gives, its target or either without /usr.
    variants() { real=$(readlink -f "$1"); printf '%s\n' "$1" "$real" "${1#/usr}" "/usr$1" "${real#/usr}" "/usr$real"; }
    libraries=$(sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p; s/^[[:space:]]*\(\/[^ ]*\) .*/\1/p' "$work/ldd")
    dpkg -S $(for lib in $libraries; do variants "$lib"; done | sort -u) >"$work/owners" 2>/dev/null || true
    for lib in $libraries; do
        owner=$(variants "$lib" | awk -v owners="$work/owners" '
            BEGIN { while ((getline line < owners) > 0) { i = index(line, ": "); by[substr(line, i + 2)] = substr(line, 1, i - 1) } }
            $0 in by { print by[$0]; exit }' | sed 's/[:,].*//')
        [ -n "$owner" ] || fail "no package provides $lib"
        echo "$closure" | grep -qx "$owner" || fail "$lib comes from $owner, which the runtime packages do not pull in"
    done
    echo "the archive's player loads only libraries of the runtime packages"
else
    echo "SKIPPED: the archive's libraries (no dpkg or apt-cache here)"
fi

# The Debian package.
if ! command -v dpkg-deb >/dev/null || ! command -v apt-get >/dev/null; then
    echo "SKIPPED: the Debian package (no dpkg-deb or apt-get here)"
    exit 0
fi
"$cmake" --build "$bin" --target package >/dev/null
deb=$bin/vorndle_${version}_$(dpkg --print-architecture).deb
[ -s "$deb" ] || fail "make package made no $deb"
for dependency in $(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/ //g'); do
    echo "$runtime_packages" | grep -qx "$dependency" ||
        fail "the package depends on $dependency, which packaging/runtime-packages.txt does not list"
done
if [ "$(id -u)" != 0 ]; then
    echo "SKIPPED: installing the package (needs root, as in CI)"
    exit 0
fi
# One install at a time on this machine; and never touch a vorndle someone installed.
exec 9>/tmp/vorndle-package-test.lock
flock 9
if dpkg -s vorndle >/dev/null 2>&1; then
    echo "SKIPPED: installing the package (vorndle is already installed here; it stays as it is)"
    exit 0
fi
installed=yes
apt-get install -y -q -o DPkg::Lock::Timeout=600 "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get install $deb: $(tail -n 5 "$work/apt.log")"
dpkg -L vorndle >"$work/listed"
for file in /usr/games/vorndle /usr/share/games/vorndle/data/demo.xml /usr/share/man/man6/vorndle.6.gz \
    /usr/share/applications/vorndle.desktop /usr/share/icons/hicolor/256x256/apps/vorndle.png \
    /usr/share/doc/vorndle/copyright /usr/share/doc/vorndle/README.md; do
    grep -qx "$file" "$work/listed" && [ -e "$file" ] || fail "the package does not install $file"
done
no_build_paths /usr/games/vorndle
[ "$(/usr/games/vorndle --version)" = "$("$bin/vorndle" --version)" ] ||
    fail "the installed player is not this build's"
still /usr/games/vorndle installed
same_still installed

while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then echo "$path"; fi
done <"$work/listed" >"$work/files"
apt-get remove -y -q --purge -o DPkg::Lock::Timeout=600 vorndle >"$work/apt.log" 2>&1 ||
    fail "apt-get remove vorndle: $(tail -n 5 "$work/apt.log")"
installed=
while read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then fail "$path is left after removing the package"; fi
done <"$work/files"
[ ! -e /usr/share/games/vorndle ] || fail "/usr/share/games/vorndle is left after removing the package"
echo "the package installs, draws the same still and goes without a trace ($(wc -l <"$work/files") files)"
