#!/usr/bin/env bash
# Tests the packages `./build.sh package` made in build/dist, as a user gets them.
#
# The .deb, in a clean Debian 12 root (a minimal debootstrap system, made once
# and kept in build/pkgtest/bookworm; every run starts from it afresh through
# an overlay, in a mount namespace of its own so that nothing stays mounted):
#   - apt installs it, fetching what its Depends name from Debian's mirror;
#   - the plug-ins are where hosts look: lv2ls lists every plug-in of the
#     installed bundles, and a VST 2.4 scan of /usr/lib/vst (rvbhost info on
#     every module found there) loads each; rvbhost info runs from /usr/bin;
#   - the demo rendered through the installed module equals the render
#     through the build folder's module, byte for byte;
#   - a user who is not root runs Copy to Local: the copy lands in their own
#     library (~/.local/share/KestrelReverb/data), the file dialog starts
#     there, the copy renders as the installed IR does, the installed
#     folders are untouched;
#   - apt purges it (and what it pulled in): every file of the root is as it
#     was before the install, apart from apt's and dpkg's own records and
#     the user's home, where their own library stays.
# The zip, unpacked: rvbhost.exe finds the DLL in its folder, and the demo
# rendered through the DLL under Wine equals the Linux render within 1e-6.
#
# Needs root (debootstrap, chroot, mounts) and Debian's mirror; about two
# minutes once the root exists (a minute more to make it).
#   tools/test-packages.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
work=$root/build/pkgtest
base=$work/bookworm
mirror=${RVB_DEBIAN_MIRROR:-http://deb.debian.org/debian}

# Everything below runs in a mount namespace of its own: the overlay and the
# chroot's /proc and /dev go when the script ends, however it ends.
if [ -z "${RVB_PKGTEST_NAMESPACE:-}" ]; then
  tools/install-deps.sh --packaging
  RVB_PKGTEST_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi

step() { printf '\n== %s\n' "$*"; }
fail() { echo "test-packages.sh: FAILED: $*" >&2; exit 1; }

deb=$(ls -t build/dist/kestrel-reverb_*_amd64.deb 2>/dev/null | head -n 1 || true)
[ -n "$deb" ] || fail "no build/dist/kestrel-reverb_*_amd64.deb: run ./build.sh package"
version=$(dpkg-deb --field "$deb" Version)
zip=build/dist/KestrelReverb-$version-win64.zip
[ -f "$zip" ] || fail "no $zip: run ./build.sh package"
[ -x build/release/rvbhost ] && [ -f build/release/KestrelReverb.so ] || fail "no release build in build/release"
echo "testing $deb and $zip (version $version)"

# The render every installed copy must match: the demo through the build folder's module.
demo=$root/resources/demo
settings=(--set WetLevel=0.75 --set DryLevel=0.8333333 --quiet)
mkdir -p "$work/out"
build/release/rvbhost render "$demo/demo_input.wav" "$work/out/reference.wav" \
  --plugin build/release/KestrelReverb.so --ir "$demo/demo_ir.wav" "${settings[@]}"

step "a clean Debian 12 root"
if [ ! -f "$base/.complete" ]; then
  rm -rf "$base" "$base.tmp"
  debootstrap --variant=minbase --include=lilv-utils bookworm "$base.tmp" "$mirror" >"$work/debootstrap.log"
  mv "$base.tmp" "$base"
  touch "$base/.complete"
fi
run=$work/run
rm -rf "$run"
mkdir -p "$run/upper" "$run/work" "$run/root" "$work/apt-archives"
mount -t overlay overlay -o "lowerdir=$base,upperdir=$run/upper,workdir=$run/work" "$run/root"
chroot_dir=$run/root
mount -t proc proc "$chroot_dir/proc"
mount --rbind /dev "$chroot_dir/dev"
# apt's downloads are kept between runs; they are no part of the root's files.
mount --bind "$work/apt-archives" "$chroot_dir/var/cache/apt/archives"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
in_root() { chroot "$chroot_dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
as_user() { chroot "$chroot_dir" runuser -u tester -- env -i PATH=/usr/bin:/bin HOME=/home/tester LANG=C.UTF-8 "$@"; }

in_root useradd --create-home --shell /bin/sh tester
# Every path of the root, to compare after the package is gone.
snapshot() {
  (cd "$chroot_dir" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./home \
      -o -path ./var/lib/dpkg -o -path ./var/lib/apt -o -path ./var/cache -o -path ./var/log \
      -o -path ./etc/resolv.conf \) -prune -o -print | LC_ALL=C sort)
}
snapshot >"$run/before.txt"

step "apt installs the package and what it depends on"
cp "$deb" "$chroot_dir/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "/tmp/$(basename "$deb")" >"$run/install.log"
grep -E '^(Setting up|Unpacking) ' "$run/install.log" | sed 's/^/  /'
in_root dpkg-query -W -f='  installed ${Package} ${Version}\n' kestrel-reverb
in_root dpkg -L kestrel-reverb >"$run/files.txt"

step "LV2 hosts find the plug-ins (lv2ls)"
in_root lv2ls >"$run/lv2ls.txt" 2>"$run/lv2ls.err" || fail "lv2ls: $(cat "$run/lv2ls.err")"
sed 's/^/  /' "$run/lv2ls.txt"
plugins=0
for manifest in "$chroot_dir"/usr/lib/lv2/*/manifest.ttl; do
  # Each subject typed lv2:Plugin in the bundle's manifest must be listed.
  for uri in $(awk '/^<[^>]*>$/ { s = $1 } /a lv2:Plugin/ { print substr(s, 2, length(s) - 2) }' "$manifest"); do
    grep -qx "$uri" "$run/lv2ls.txt" || fail "lv2ls does not list $uri"
    plugins=$((plugins + 1))
  done
done
[ "$plugins" -ge 1 ] || fail "no LV2 plug-in in /usr/lib/lv2"
[ "$(wc -l <"$run/lv2ls.txt")" -eq "$plugins" ] || fail "lv2ls lists plug-ins the bundles do not declare"
minor=${version:2:1}
micro=${version:3:1}
for description in "$chroot_dir"/usr/lib/lv2/KestrelReverb.lv2/*.ttl; do
  grep -q 'lv2:minorVersion' "$description" || continue
  grep -q "lv2:minorVersion $minor ;" "$description" && grep -q "lv2:microVersion $micro ;" "$description" \
    || fail "$description does not carry version $version as minor $minor, micro $micro"
done
echo "  every declared plug-in listed ($plugins); minor version $minor, micro version $micro"

step "a VST 2.4 scan of /usr/lib/vst loads every module"
modules=0
while IFS= read -r module; do
  module=${module#"$chroot_dir"}
  in_root rvbhost info --plugin "$module" >"$run/info.txt" || fail "rvbhost cannot load $module"
  name=$(sed -n 's/^effect: *//p' "$run/info.txt")
  echo "  $module: $name"
  # The standard edition's name ends in the version, the Live edition's in "Live".
  [ "${name##* }" = "$version" ] || [ "${name##* }" = "Live" ] || fail "$module names itself '$name', not version $version"
  modules=$((modules + 1))
done < <(find "$chroot_dir/usr/lib/vst" -name '*.so' | sort)
[ "$modules" -ge 1 ] || fail "no VST 2.4 module under /usr/lib/vst"
# Each module in a folder of its own, its IR library beside it.
for folder in "$chroot_dir"/usr/lib/vst/*/; do
  [ -f "$folder/data/demo_ir.wav" ] || fail "no data/demo_ir.wav beside the module in $folder"
done
# VST 3 bundles, when the package has them, laid out as VST 3 hosts expect.
for bundle in "$chroot_dir"/usr/lib/vst3/*.vst3; do
  [ -d "$bundle" ] || continue
  binary=$bundle/Contents/x86_64-linux/$(basename "$bundle" .vst3).so
  [ -f "$binary" ] || fail "no ${binary#"$chroot_dir"} in the VST 3 bundle"
  echo "  ${binary#"$chroot_dir"}"
done
in_root rvbhost info | head -n 2 | sed 's/^/  rvbhost info (from \/usr\/bin, no --plugin): /'

step "the demo renders through the installed module"
cp "$demo/demo_input.wav" "$chroot_dir/tmp/"
installed_ir=/usr/lib/vst/KestrelReverb/data/demo_ir.wav
in_root rvbhost render /tmp/demo_input.wav /tmp/installed.wav --ir "$installed_ir" "${settings[@]}"
cmp "$chroot_dir/tmp/installed.wav" "$work/out/reference.wav" || fail "the installed module renders differently"
echo "  /tmp/installed.wav equals the build's render ($(stat -c %s "$work/out/reference.wav") bytes)"

step "Copy to Local as a user who cannot write under /usr/lib"
own=/home/tester/.local/share/KestrelReverb/data
printf 'yes\n' >"$chroot_dir/tmp/yes.txt"
printf 'cancel\n' >"$chroot_dir/tmp/cancel.txt"
chmod 0644 "$chroot_dir/tmp/yes.txt" "$chroot_dir/tmp/cancel.txt"
# Parameter 1 is the CopyToLocal button: the plug-in asks, copies and loads the copy.
as_user rvbhost state save /tmp/copied-state.txt --ir "$installed_ir" --set 1=1 \
  --dialog-script /tmp/yes.txt --quiet 2>"$run/copy.log" >/dev/null || fail "Copy to Local: $(cat "$run/copy.log")"
sed 's/^/  /' "$run/copy.log"
grep -qF "to local folder\\n  $own/\\n -> yes" "$run/copy.log" || fail "the question does not name $own"
cmp "$chroot_dir$own/demo_ir.wav" "$chroot_dir$installed_ir" || fail "no copy in $own"
[ "$(in_root stat -c %U "$own/demo_ir.wav")" = tester ] || fail "the copy does not belong to the user"
# The file dialog treats the user's library as the local one now.
as_user rvbhost state save /tmp/dialog-state.txt --set IR_FileSelect=1 \
  --dialog-script /tmp/cancel.txt --quiet 2>"$run/dialog.log" >/dev/null || fail "file dialog: $(cat "$run/dialog.log")"
sed 's/^/  /' "$run/dialog.log"
grep -qF "file dialog \"IR File Select\" in \"$own\"" "$run/dialog.log" || fail "the dialog does not start in $own"
# The copy loads from there and sounds as the installed IR does.
as_user rvbhost render /tmp/demo_input.wav /tmp/from-own-library.wav --ir "$own/demo_ir.wav" "${settings[@]}"
cmp "$chroot_dir/tmp/from-own-library.wav" "$work/out/reference.wav" || fail "the copy renders differently"
echo "  $own/demo_ir.wav renders as the installed IR does"
# Nothing was written beside the installed modules.
in_root dpkg --verify kestrel-reverb || fail "installed files changed"
extra=$(find "$chroot_dir/usr/lib/vst" "$chroot_dir/usr/lib/lv2" -type f | sed "s|^$chroot_dir||" | LC_ALL=C sort \
  | comm -23 - <(LC_ALL=C sort "$run/files.txt"))
[ -z "$extra" ] || fail "files beside the installed plug-ins that the package did not put there: $extra"

step "apt purges the package and what it pulled in"
in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq --autoremove kestrel-reverb >"$run/purge.log"
grep -E '^(Removing|Purging) ' "$run/purge.log" | sed 's/^/  /'
snapshot >"$run/after.txt"
if ! diff "$run/before.txt" "$run/after.txt" >"$run/left.txt"; then
  sed 's/^/  /' "$run/left.txt"
  fail "the root differs from before the install"
fi
echo "  every path of the root as before the install; the user's own library stays:"
(cd "$chroot_dir" && find ./home/tester/.local -type f | sed 's/^/    /')

umount -R "$chroot_dir"
rm -rf "$run"

step "the Windows zip: the demo through its DLL under Wine"
unpacked=$work/zip
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
top=$unpacked/KestrelReverb-$version-win64
for file in rvbhost.exe README.txt INSTALL.txt KestrelReverb/KestrelReverb.dll KestrelReverb/data/demo_ir.wav; do
  [ -f "$top/$file" ] || fail "the zip has no $file"
done
zpath() { printf 'Z:%s' "${1//\//\\}"; }
# Every VST 2.4 module folder of the zip: the DLL loads, its IR library is beside it.
for dll in "$top"/*/*.dll; do
  [ -f "$(dirname "$dll")/data/demo_ir.wav" ] || fail "no data folder beside ${dll#"$top/"}"
  name=$(tools/wine-run.sh "$top/rvbhost.exe" info --plugin "$(zpath "$dll")" | sed -n 's/^effect: *//p' | tr -d '\r')
  echo "  ${dll#"$top/"}: $name"
  [ "${name##* }" = "$version" ] || [ "${name##* }" = "Live" ] || fail "${dll#"$top/"} names itself '$name', not version $version"
done
tools/wine-run.sh "$top/rvbhost.exe" info >"$work/out/wine-info.txt"
name=$(sed -n 's/^effect: *//p' "$work/out/wine-info.txt" | tr -d '\r')
echo "  rvbhost.exe info (no --plugin: KestrelReverb\\KestrelReverb.dll beside it): $name"
[ -n "$name" ] || fail "rvbhost.exe does not find the DLL in the zip's layout"
rm -f "$work/out/windows.wav"
tools/wine-run.sh "$top/rvbhost.exe" render "$(zpath "$demo/demo_input.wav")" "$(zpath "$work/out/windows.wav")" \
  --ir "$(zpath "$top/KestrelReverb/data/demo_ir.wav")" "${settings[@]}"
# Largest difference from the Linux render: both signals mixed, one inverted.
difference=$(sox -m -v 1 "$work/out/reference.wav" -v -1 "$work/out/windows.wav" -n stat 2>&1 \
  | sed -n 's/^Maximum amplitude: *//p')
[ "$(soxi -s "$work/out/windows.wav")" = "$(soxi -s "$work/out/reference.wav")" ] || fail "lengths differ"
awk -v d="$difference" 'BEGIN { exit !(d <= 1e-6) }' || fail "the Windows render differs by $difference"
echo "  the Windows render equals the Linux render within $difference"
tools/wine-run.sh --stop
rm -rf "$unpacked"

step "all package tests passed"
