# Builds the MIME database of the staged tree alone and checks that a WSQ file
# is recognised by its name and, renamed, by its first bytes.
set -euo pipefail
source "$1"
mkdir -p "$work/share/mime"
cp -r "$datadir/mime/packages" "$work/share/mime/"
export XDG_DATA_HOME="$work/share" XDG_DATA_DIRS="$work/share"
update-mime-database "$work/share/mime"
cp "$sample" "$work/fingerprint.wsq"
cp "$sample" "$work/fingerprint"
printf 'not a fingerprint' >"$work/other.wsq.txt"
# xdg-mime asks gio, which reads the shared-mime-info database, on GNOME.
export XDG_CURRENT_DESKTOP=GNOME
[ "$(xdg-mime query filetype "$work/fingerprint.wsq")" = image/x-wsq ] || fail "by name"
[ "$(xdg-mime query filetype "$work/fingerprint")" = image/x-wsq ] || fail "by content"
[ "$(xdg-mime query filetype "$work/other.wsq.txt")" != image/x-wsq ] || fail "a text file is taken for WSQ"
echo "recognised by name and by content"
