#!/usr/bin/env bash
# scripts/build on machines that lack some of its packages, with stubs for id, dpkg-query, apt-get,
# sudo and the tools themselves on a PATH that holds nothing else of the build: it installs only
# what is missing, touches no package where all are there, and where it cannot install names what
# is missing in one line and stops before building.
# Usage: build_test.sh <source directory>
set -euo pipefail
build=$1/scripts/build
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Stubs write what they were asked to a log; the machine they describe comes from STUB_* variables.
mkdir "$scratch/stubs" "$scratch/base"
stub() {
  printf '#!%s\n%s\n' "$BASH" "$2" >"$scratch/stubs/$1"
  chmod +x "$scratch/stubs/$1"
}
stub id 'echo "$STUB_UID"'
stub dpkg-query 'case " $STUB_INSTALLED " in *" ${!#} "*) printf "install ok installed" ;; *) exit 1 ;; esac'
stub apt-get 'echo "apt-get $*" >>"$STUB_LOG"
[ "$1" = update ] || [ -z "$STUB_APT_ERROR" ] || { echo "Reading package lists..."; echo "$STUB_APT_ERROR" >&2; exit 100; }'
stub sudo 'printf "sudo " >>"$STUB_LOG"; exec "$@"'
stub cmake 'echo "cmake $*" >>"$STUB_LOG"'
stub ninja ''
stub g++ ''
for tool in dirname mktemp rm env; do
  ln -s "$(command -v "$tool")" "$scratch/base/$tool"
done
mv "$scratch/stubs/id" "$scratch/base/id"

configure_and_build='cmake --preset release -G Ninja
cmake --build --preset release'

failures=0
# check NAME UID STUBS INSTALLED APT_ERROR STATUS STDOUT STDERR LOG
check() {
  local name=$1 bin="$scratch/bin-$1" status=0 tool
  mkdir "$bin"
  for tool in $3; do ln -s "$scratch/stubs/$tool" "$bin/$tool"; done
  : >"$scratch/log"
  STUB_UID=$2 STUB_INSTALLED=$4 STUB_APT_ERROR=$5 STUB_LOG=$scratch/log PATH="$bin:$scratch/base" \
    "$BASH" "$build" >"$scratch/out" 2>"$scratch/err" || status=$?
  if [ "$status" != "$6" ] || [ "$(<"$scratch/out")" != "$7" ] || [ "$(<"$scratch/err")" != "$8" ] ||
     [ "$(<"$scratch/log")" != "$9" ]; then
    echo "FAIL: $name: exit $status (expected $6)"
    echo "--- standard output:"; cat "$scratch/out"; echo "--- expected:"; echo "$7"
    echo "--- standard error:"; cat "$scratch/err"; echo "--- expected:"; echo "$8"
    echo "--- what the stubs were asked:"; cat "$scratch/log"; echo "--- expected:"; echo "$9"
    failures=$((failures + 1))
  fi
}

dpkg_stubs='dpkg-query apt-get cmake'
check all-there-not-root-no-sudo 1000 "$dpkg_stubs" 'cmake ninja-build g++' '' 0 '' '' "$configure_and_build"
check missing-not-root-no-sudo 1000 "$dpkg_stubs" 'cmake' '' 1 '' \
  'Missing Debian packages: ninja-build g++; not root, and no sudo to install them' ''
check missing-not-root-sudo 1000 "$dpkg_stubs sudo" 'cmake' '' 0 'Installing Debian packages: ninja-build g++' '' \
  "sudo apt-get update -q
sudo apt-get install -y -q --no-install-recommends ninja-build g++
$configure_and_build"
check missing-root-apt-fails 0 "$dpkg_stubs sudo" 'cmake ninja-build' "E: Unable to locate package g++" 1 \
  'Installing Debian packages: g++' \
  'Missing Debian packages: g++; apt-get could not install them (E: Unable to locate package g++)' \
  'apt-get update -q
apt-get install -y -q --no-install-recommends g++'
# Without dpkg the tools on PATH stand for their packages.
check no-dpkg-all-on-path 1000 'cmake ninja g++' '' '' 0 '' '' "$configure_and_build"
check no-dpkg-no-apt 0 'cmake ninja' '' '' 1 '' 'Missing Debian packages: g++; no apt-get here to install them' ''

[ "$failures" -eq 0 ] || exit 1
echo "scripts/build: 6 machines as expected"
