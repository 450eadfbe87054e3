# Registers the staged gdk-pixbuf loader in a loader cache of its own and the
# staged MIME type in a MIME database of its own, opens the sample through
# gdk-pixbuf and makes a thumbnail with the command of the staged thumbnailer
# entry.
set -euo pipefail
source "$1"
loader="$pixbuf_loader_dir/libpixbufloader-wsq.so"
[ -f "$loader" ] || fail "no staged loader in $pixbuf_loader_dir"
"$query_loaders" "$loader" >"$work/loaders.cache"
grep -q '"image/x-wsq"' "$work/loaders.cache" || fail "the loader does not register image/x-wsq"
export GDK_PIXBUF_MODULE_FILE="$work/loaders.cache"
# gdk-pixbuf picks a loader by the file's MIME type: give it the staged one.
mkdir -p "$work/share/mime"
cp -r "$datadir/mime/packages" "$work/share/mime/"
export XDG_DATA_HOME="$work/share" XDG_DATA_DIRS="$work/share"
update-mime-database "$work/share/mime"
cp "$sample" "$work/sample"
"$2" "$sample" "$work/sample"

# The thumbnailer entry's command, with its placeholders filled in.
command=$(sed -n 's/^Exec=//p' "$datadir/thumbnailers/wsq.thumbnailer")
command=${command//%s/128}
command=${command//%u/file://$sample}
command=${command//%o/$work/thumbnail.png}
read -r -a words <<<"$command"
"${words[@]}"
head -c 8 "$work/thumbnail.png" | od -An -tx1 | grep -q "89 50 4e 47" || fail "no PNG thumbnail"
