#!/bin/sh
# Builds the package of a build tree with CPack and checks what it holds: the Debian package of a
# Linux build (program, manual page, README, dependencies), or the zip of the Windows build
# (Varnholt.exe and the README, nothing else). The packaged program must run and write its usage.
# Usage: package_test.sh <build directory> <source directory> deb|zip
set -eu
build=$1
source=$2
kind=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

usage=$(printf 'Varnholt 0.1\r\nPSD sprite sheets to Filmstrip cursor strips, by the Varnholt developers\r\n\r\n  USAGE: \r\n    Varnholt <file.psd|file.psb>\r\n_')

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }

case $kind in
deb)
  package=$(ls "$scratch"/out/*.deb)
  dpkg-deb -c "$package" | awk '{print $6}' | grep -v '/$' | sort >"$scratch/files"
  printf '%s\n' ./usr/bin/varnholt ./usr/share/doc/varnholt/README.md ./usr/share/man/man1/varnholt.1.gz \
    >"$scratch/expected"
  diff -u "$scratch/expected" "$scratch/files" || fail "files of the Debian package"
  [ "$(dpkg-deb -f "$package" Package)" = varnholt ] || fail "package name"
  dpkg-deb -f "$package" Depends | grep -q 'libc6' || fail "Depends: $(dpkg-deb -f "$package" Depends)"
  dpkg-deb -x "$package" "$scratch/root"
  gzip -dc "$scratch/root/usr/share/man/man1/varnholt.1.gz" | cmp - "$source/doc/varnholt.1" || fail "manual page"
  output=$(cd "$scratch" && "$scratch/root/usr/bin/varnholt" </dev/null; printf _)
  ;;
zip)
  package=$(ls "$scratch"/out/*.zip)
  python3 -m zipfile -l "$package" | awk 'NR > 1 {print $1}' | sort >"$scratch/files"
  printf '%s\n' README.md Varnholt.exe >"$scratch/expected"
  diff -u "$scratch/expected" "$scratch/files" || fail "files of the zip"
  python3 -m zipfile -e "$package" "$scratch/root"
  cmp "$scratch/root/README.md" "$source/README.md" || fail "README"
  output=$(cd "$scratch" && wine "$scratch/root/Varnholt.exe" </dev/null; printf _)
  ;;
*)
  fail "unknown kind $kind"
  ;;
esac
[ "$output" = "$usage" ] || fail "the packaged program writes: $output"
echo "package $(basename "$package") holds what it should"
