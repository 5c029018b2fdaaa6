#!/usr/bin/env bash
# Builds the .deb of the build folder $1 and checks it: lintian --pedantic says nothing at E, W
# or P level; no maintainer scripts; no library search path in any ELF file; the version of
# $2 in the control file and in the program's caption tag; the LibreOffice libraries as
# Recommends only; the metadata and desktop entry valid; the MIME package's magic taking a
# data file's header over the e-mail type's rule. Exit 77: a tool is missing.
set -uo pipefail
build=$1 version=$2 packaging=$3
for tool in cpack dpkg-deb lintian readelf appstreamcli desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/vantrel_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no package"; exit 1; }
echo "package: $(basename "$deb")"

# lintian prints one line per tag; E: W: and (with --pedantic) P: are the ones that count.
lintian --pedantic "$deb" 2>/dev/null | tee "$work/lintian.txt"
grep -E '^(E|W|P): ' "$work/lintian.txt" >/dev/null && bad "lintian tags above"

dpkg-deb -e "$deb" "$work/control"
scripts=$(ls "$work/control" | grep -v -x -e control -e md5sums)
[ -z "$scripts" ] || bad "maintainer scripts: $scripts"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Version)" = "$version" ] || bad "Version $(field Version), not $version"
field Depends | grep -q 'libuno\|uno-libs' && bad "UNO libraries in Depends: $(field Depends)"
if dpkg-deb -c "$deb" | grep 'libvantrel_calc\.so' >/dev/null; then
  field Recommends | grep -q 'libuno-cppu3' || bad "no UNO libraries in Recommends: $(field Recommends)"
fi
[ -n "$(field Maintainer)" ] || bad "no Maintainer"
field Maintainer | grep -q 'example\.org' && bad "placeholder Maintainer: $(field Maintainer)"

dpkg-deb -x "$deb" "$work/root"
while IFS= read -r -d '' f; do
  if readelf -h "$f" >/dev/null 2>&1 && readelf -d "$f" 2>/dev/null | grep -q 'RPATH\|RUNPATH'; then
    bad "library search path in ${f#"$work/root"}"
  fi
done < <(find "$work/root" -type f -print0)

# The caption's version tag: "--<major>.<minor> 0 <revision>p1--".
IFS=. read -r major minor revision <<<"$version"
grep -aq -- "--$major.$minor 0 ${revision}p1--" "$work/root/usr/bin/vantrel" || bad "caption tag of $version not in the program"

for f in "$work"/root/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net "$f" >"$work/as.txt" 2>&1 || { cat "$work/as.txt"; bad "appstreamcli validate $(basename "$f")"; }
done
desktop-file-validate "$work/root/usr/share/applications/vantrel.desktop" || bad "desktop-file-validate"
grep -q "Version: $version\|$version" "$work/root/usr/share/metainfo/"*.xml || bad "metainfo without release $version"

# The magic: a header without the .vnx extension is ours, an e-mail is still an e-mail.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null &&
   [ -f /usr/share/mime/packages/freedesktop.org.xml ]; then
  mkdir -p "$work/share/mime/packages"
  cp /usr/share/mime/packages/freedesktop.org.xml "$work/share/mime/packages/"
  cp "$work/root/usr/share/mime/packages/vantrel.xml" "$work/share/mime/packages/"
  update-mime-database "$work/share/mime" 2>/dev/null
  printf 'From: \tbook.xlsx\tOrbit\t=MAX(A2:C60)\t\r\n1\t2\t3\r\n' >"$work/plain"
  printf '"From: \tbook.xlsx\tOrbit\t=""x""\t\r\n' >"$work/quoted"
  printf 'From: someone@example.net\r\nSubject: hello\r\n\r\ntext\r\n' >"$work/mail"
  cp "$work/plain" "$work/with space.vnx"
  check_type() {
    local got
    got=$(XDG_DATA_DIRS="$work/share" XDG_DATA_HOME="$work/none" gio info -a standard::content-type "$1" 2>/dev/null |
          sed -n 's/.*standard::content-type: //p')
    [ "$got" = "$2" ] || bad "$(basename "$1"): $got, not $2"
  }
  check_type "$work/plain" application/x-vanexexcelfile
  check_type "$work/quoted" application/x-vanexexcelfile
  check_type "$work/with space.vnx" application/x-vanexexcelfile
  check_type "$work/mail" message/rfc822
fi
# The package's own MIME package is the one the program writes for a user.
cmp -s "$work/root/usr/share/mime/packages/vantrel.xml" "$packaging/vantrel-mime.xml" || bad "MIME package differs"

[ $fail -eq 0 ] && echo "package checks passed"
exit $fail
