# The built .deb installed, played and removed, in a scratch root with a dpkg
# database of its own: ctest runs as root on shared machines and must neither
# install zep there nor wait on the system's dpkg lock.
#   bash install.sh <root>/usr/share/games/zep <zepprobe> <shots> <deb> <root>
source "$(dirname "$0")/../e2e/lib.bash"
DEB=$4 ROOT=$5
[ -f "$DEB" ] || Fail "$DEB has not been built"
rm -rf "$ROOT" && mkdir -p "$ROOT/var/lib/dpkg/updates" "$ROOT/var/lib/dpkg/info" && touch "$ROOT/var/lib/dpkg/status"
Dpkg() { dpkg --root="$ROOT" --force-not-root --force-depends --log=/dev/null "$@" >"$ERR" 2>&1 || Fail "dpkg $* failed: $(cat "$ERR")"; }

# Its dependencies are packages this machine has.
for dep in $(dpkg-deb -f "$DEB" Depends | sed 's/([^)]*)//g; s/,/ /g'); do
	dpkg-query -W -f='${Status}' "$dep" 2>/dev/null | grep -q 'install ok installed' || Fail "depends on $dep, not installed"
done
Dpkg -i "$DEB"
[ -x "$ROOT/usr/games/zep" ] && [ -x "$ROOT/usr/lib/games/zep/zep" ] || Fail "no launcher or binary"
for f in share/man/man6/zep.6.gz share/doc/zep/copyright share/doc/zep/changelog.gz share/applications/zep.desktop \
	share/metainfo/io.github.zep.metainfo.xml; do
	[ -s "$ROOT/usr/$f" ] || Fail "/usr/$f is missing"
done
for size in 16 32 48 64 128 256; do
	got=$(identify -format %wx%h "$ROOT/usr/share/icons/hicolor/${size}x$size/apps/zep.png") || Fail "no $size px icon"
	[ "$got" = "${size}x$size" ] || Fail "the $size px icon is $got"
done

# Started by its launcher from another folder, it finds its bundles.
StartX
(cd "$SHOTS" && exec "$ROOT/usr/games/zep") & GAME=$!
Menu 0 menu
Play play z
CloseWindow
ExpectExit 0

Dpkg -r zep
left=$(find "$ROOT" -mindepth 1 -not -path "$ROOT/var" -not -path "$ROOT/var/lib" -not -path "$ROOT/var/lib/dpkg*")
[ -z "$left" ] || Fail "left behind after dpkg -r: $left"
! dpkg --root="$ROOT" -s zep 2>/dev/null | grep -q '^Status: install' || Fail "still installed"
