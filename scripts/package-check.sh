#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it as a user gets it: its contents and
# dependencies, its menu entry and metainfo, and the packaged programs run from an unpacked copy.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/package.sh
deb=$(ls build/package/veld_*.deb)
echo "== $deb"
dpkg-deb -c "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# dpkg-shlibdeps found the Qt libraries the programs link.
for library in libqt6core6 libqt6serialport6 libqt6widgets6 libqt6charts6; do
  [[ "$depends" == *"$library"* ]] || { echo "package: no dependency on $library" >&2; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for file in bin/veld-konf bin/veld-cli bin/veld-sim share/applications/veld-konf.desktop \
    share/metainfo/local.veld.konf.metainfo.xml share/icons/hicolor/scalable/apps/veld-konf.svg \
    share/icons/hicolor/{16x16,48x48,256x256}/apps/veld-konf.png \
    share/man/man1/{veld-konf,veld-cli,veld-sim}.1.gz; do
  [ -s "$root/usr/$file" ] || { echo "package: /usr/$file is missing" >&2; exit 1; }
done
# The synopsis holds the whole usage, also the part the help wraps onto a second line.
zcat "$root/usr/share/man/man1/veld-cli.1.gz" | sed -n '/^\.SH SYNOPSIS/,/^\.SH DESCRIPTION/p' |
  grep -q "COMMAND" || { echo "package: the synopsis of veld-cli(1) lacks COMMAND" >&2; exit 1; }
desktop-file-validate "$root/usr/share/applications/veld-konf.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/local.veld.konf.metainfo.xml"

# The packaged programs, with settings kept in the unpacked copy.
export HOME="$root" XDG_CONFIG_HOME="$root/config" QT_QPA_PLATFORM=offscreen
bin="$root/usr/bin"
"$bin/veld-cli" --help | grep -q "^usage: veld-cli"
"$bin/veld-sim" --help | grep -q "^usage: veld-sim"
# Its help needs no display, as on a terminal without one.
env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$bin/veld-konf" --help | grep -q -- "--simulator"
read=$("$bin/veld-cli" --port sim eeprom read 257 2)
[ "$read" = "0D E5" ] || { echo "package: veld-cli read '$read', not '0D E5'" >&2; exit 1; }
# The window opens without a port given, as its menu entry starts it.
"$bin/veld-konf" --grab "$root/window.png" 2>/dev/null
[ -s "$root/window.png" ] || { echo "package: veld-konf showed no window" >&2; exit 1; }
echo "package: $deb holds the programs, manual pages, menu entry and icons; they run unpacked"
