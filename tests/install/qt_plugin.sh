# Reads and writes WSQ through QImageReader and QImageWriter, with only the
# staged image plugin added to Qt's plugin path.
set -euo pipefail
source "$1"
[ -f "$qt_plugin_dir/libqwsq.so" ] || fail "no staged Qt plugin in $qt_plugin_dir"
QT_PLUGIN_PATH="$(dirname "$qt_plugin_dir")" "$2" "$sample" "$work"
