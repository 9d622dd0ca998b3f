#!/usr/bin/env bash
# Makes the Debian package from a release build, with Debian's own tools:
#   packaging/make-deb.sh BUILD_DIR VERSION DIST_DIR
# -> DIST_DIR/kestrel-reverb_VERSION_amd64.deb, checked by lintian (its
# report is printed; an error fails the build). `ninja package_deb` runs this
# after building what packaging/CMakeLists.txt lists.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
dist=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
package=kestrel-reverb
stage=$build/deb-stage
doc=$stage/usr/share/doc/$package

rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
# Stripped as Debian's own packages are (dh_strip): no symbols beyond what
# linking needs, no compiler notes.
notes=(--remove-section=.comment --remove-section=.note)
find "$stage/usr" -type f -name '*.so' -exec strip "${notes[@]}" --strip-unneeded {} +
find "$stage/usr/bin" -type f -exec strip "${notes[@]}" {} +
gzip -9n "$stage"/usr/share/man/man1/*.1

# The changelog of a package without a Debian revision, dated by the commit built.
date=$(git -C "$root" log -1 --format=%cD 2>/dev/null || date -R)
maintainer=$(sed -n 's/^Maintainer: //p' "$here/debian/control.in")
printf '%s (%s) unstable; urgency=medium\n\n  * Release %s.\n\n -- %s  %s\n' \
  "$package" "$version" "$version" "$maintainer" "$date" | gzip -9n > "$doc/changelog.gz"

# Plug-ins are loaded, never run: not executable. Folders and programs are.
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/usr/bin/*

# Depends from what the binaries link; dpkg-shlibdeps reads a control file
# from debian/ in the folder it runs in.
elves=$(find "$stage/usr" -type f \( -name '*.so' -o -path '*/usr/bin/*' \) | sort)
shlibs=$(mktemp -d)
trap 'rm -rf "$shlibs"' EXIT
mkdir "$shlibs/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: amd64\n' "$package" "$package" > "$shlibs/debian/control"
# shellcheck disable=SC2086 # one argument per binary
depends=$(cd "$shlibs" && dpkg-shlibdeps -O --ignore-missing-info $elves 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "make-deb.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

mkdir -p "$stage/DEBIAN"
size=$(du -sk --apparent-size "$stage/usr" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$here/debian/control.in" > "$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

mkdir -p "$dist"
deb=$dist/${package}_${version}_amd64.deb
rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "made $deb"
dpkg-deb --field "$deb" Version Depends Installed-Size

# lintian's report in full; errors fail the package.
if command -v lintian >/dev/null; then
  report=$(lintian --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
  echo "lintian:${report:+$'\n'}$report"
  if grep -q '^E: ' <<<"$report"; then
    echo "make-deb.sh: lintian reports errors" >&2
    exit 1
  fi
else
  echo "make-deb.sh: lintian is not installed (tools/install-deps.sh --packaging)" >&2
  exit 1
fi
