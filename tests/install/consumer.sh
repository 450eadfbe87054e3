# Builds the consumer project against the staged install, with
# find_package(WSQ) and with pkg-config, and runs its programs on the sample.
set -euo pipefail
source "$1"
# pkg-config finds the staged files, whose folders lie under the staging folder.
export PKG_CONFIG_PATH="$libdir/pkgconfig" PKG_CONFIG_SYSROOT_DIR="$stage"
"$cmake_command" -S "$source_dir/tests/install/consumer" -B "$work/build" -G "$cmake_generator" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER="$c_compiler" -DCMAKE_CXX_COMPILER="$cxx_compiler" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF >/dev/null
"$cmake_command" --build "$work/build" -j 2 >/dev/null

export LD_LIBRARY_PATH="$libdir"
# The shared programs must use the staged library, not one elsewhere.
# The output is captured first: grep -q stops reading at its first match,
# which would end ldd by SIGPIPE and fail the pipeline under pipefail.
deps=$(ldd "$work/build/decode_shared")
grep -q "$libdir/libwsq.so" <<<"$deps" || fail "decode_shared misses the staged libwsq"
deps=$(ldd "$work/build/decode_c")
grep -q "$libdir/libwsq.so" <<<"$deps" || fail "decode_c misses the staged libwsq"
shared=$("$work/build/decode_shared" "$sample")
static=$("$work/build/decode_static" "$sample")
c_api=$("$work/build/decode_c" "$sample")
loaded=$("$work/build/load_image" "$sample")
echo "C++: $shared / static: $static / C: $c_api / image library: $loaded"
[ "$static" = "$shared" ] || fail "static and shared builds differ"
[ "$c_api" = "$shared" ] || fail "the C and C++ interfaces differ"
read -r width height ppi _ <<<"$shared"
[ "$width" -ge 65 ] && [ "$height" -ge 65 ] || fail "implausible size $width x $height"
[ "$loaded" = "$width $height $ppi" ] || fail "the image library reads another size"
