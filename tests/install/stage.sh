# Installs the build into the staging folder and checks what it holds.
set -euo pipefail
source "$1"
rm -rf "$stage"
DESTDIR="$stage" "$cmake_command" --install "$build_dir" >/dev/null

for file in "$bindir/wsqconv" "$includedir/wsq/wsq.h" "$includedir/wsq/wsq_c.h" \
    "$includedir/wsq/imagelib/image_library.h" "$libdir/libwsq.a" "$libdir/libwsqimage.a" \
    "$libdir/cmake/WSQ/WSQConfig.cmake" "$libdir/pkgconfig/wsq.pc" "$libdir/pkgconfig/wsqimage.pc" \
    "$datadir/applications/wsqview.desktop" "$datadir/mime/packages/wsqview.xml" \
    "$datadir/icons/hicolor/scalable/apps/wsqview.svg" \
    "$datadir/icons/hicolor/48x48/mimetypes/image-x-wsq.png" \
    "$datadir/thumbnailers/wsq.thumbnailer" "$mandir/man1/wsqview.1" "$mandir/man1/wsqconv.1"; do
  [ -f "$file" ] || fail "not installed: $file"
done
case "$viewer_built" in
  ON|on|1|TRUE|true) [ -x "$bindir/wsqview" ] || fail "wsqview not installed" ;;
esac
[ -e "$libdir/libwsq.so.1" ] || fail "no shared codec library"
# Only the public headers are installed: nothing of the codec's internals.
[ ! -e "$includedir/wsq/decoder.h" ] || fail "an internal header was installed"
[ "$(find "$includedir" -name '*.h' | wc -l)" -eq 9 ] || fail "unexpected headers installed"
# Installed programs run from their installed place.
"$bindir/wsqconv" --info "$sample" >/dev/null || fail "installed wsqconv fails"
