# Validates the staged desktop entry, AppStream file and thumbnailer entry.
set -euo pipefail
source "$1"
desktop-file-validate "$datadir/applications/wsqview.desktop"
appstreamcli validate --no-net --pedantic "$datadir/metainfo/"*.metainfo.xml
grep -q '^MimeType=image/x-wsq;' "$datadir/applications/wsqview.desktop" || fail "the viewer does not open image/x-wsq"
grep -q '^MimeType=image/x-wsq;$' "$datadir/thumbnailers/wsq.thumbnailer" || fail "no thumbnailer for image/x-wsq"
# The icon the entry names is installed in the hicolor theme.
icon=$(sed -n 's/^Icon=//p' "$datadir/applications/wsqview.desktop")
[ -f "$datadir/icons/hicolor/scalable/apps/$icon.svg" ] || fail "icon $icon not installed"
for size in 16 32 48 64 128 256; do
  file "$datadir/icons/hicolor/${size}x${size}/apps/$icon.png" | grep -q "$size x $size" ||
    fail "the $size pixel icon has another size"
done
