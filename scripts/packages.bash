# Sourced by scripts/build and scripts/run-tests: the Debian packages that building Varnholt needs,
# and the one way both install what a machine lacks.

build_packages=(cmake ninja-build g++)

# The command that stands for a package where there is no dpkg to ask (another distribution, or a
# toolchain built by hand); a package without one counts as missing there.
declare -A package_commands=([cmake]=cmake [ninja-build]=ninja [g++]=g++)

package_present() {
  local status
  if command -v dpkg-query >/dev/null; then
    status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || return 1
    [ "$status" = "install ok installed" ]
  else
    [ -n "${package_commands[$1]:-}" ] && command -v "${package_commands[$1]}" >/dev/null
  fi
}

# Why apt-get failed, in its own words and one line: the last line it wrote (an "E:" line).
last_line() {
  local line last=""
  while IFS= read -r line; do
    [ -n "$line" ] && last=$line
  done <"$1"
  echo "${last:-no output}"
}

# install_packages PACKAGE...: installs those that are missing with apt-get, through sudo when not
# root. Where they cannot be installed it says so in one line on standard error, naming them, and
# returns 1. With everything present it does nothing, so it needs neither root nor sudo then.
install_packages() {
  local package missing=() sudo=() log reason="" uid
  for package in "$@"; do
    package_present "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  uid=$(id -u)
  if ! command -v apt-get >/dev/null; then
    reason="no apt-get here to install them"
  elif [ "$uid" -ne 0 ]; then
    if command -v sudo >/dev/null; then
      sudo=(sudo)
    else
      reason="not root, and no sudo to install them"
    fi
  fi
  if [ -z "$reason" ]; then
    echo "Installing Debian packages: ${missing[*]}"
    log=$(mktemp "${TMPDIR:-/tmp}/varnholt-apt-XXXXXX")
    if { "${sudo[@]}" apt-get update -q &&
         "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
       } >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    reason="apt-get could not install them ($(last_line "$log"))"
    rm -f "$log"
  fi
  echo "Missing Debian packages: ${missing[*]}; $reason" >&2
  return 1
}
