#!/usr/bin/env bash
# Makes the Windows zip from the cross-built release:
#   packaging/make-zip.sh BUILD_DIR VERSION DIST_DIR
# -> DIST_DIR/KestrelReverb-VERSION-win64.zip, one folder of that name inside
# with what packaging/CMakeLists.txt lists, its text files with Windows line
# ends. `ninja package_zip` runs this after building the listed targets.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
dist=$3
name=KestrelReverb-$version-win64
stage=$build/zip-stage

rm -rf "$stage"
cmake --install "$build" --prefix "$stage/$name" --strip >/dev/null
# A VST 3 bundle is copied as its build made it: its binary is stripped here.
find "$stage/$name" -path '*.vst3/Contents/x86_64-win/*' -type f -exec x86_64-w64-mingw32-strip {} +
for text in "$stage/$name"/*.txt; do
  sed -i 's/\r*$/\r/' "$text"
done

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
zip=$dist/$name.zip
rm -f "$zip"
# In name order, without Unix attributes that Windows has no use for.
(cd "$stage" && find "$name" | LC_ALL=C sort | zip -q -X -9 "$zip" -@)
echo "made $zip"
unzip -l "$zip"
