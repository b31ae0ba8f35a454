# The parts every script of scripts/ shares. Source it after `set -euo pipefail`:
#   source "$(dirname "$0")/lib/common.sh"
# It sets vandrel_root (the top of the source tree) and defines:
#   as_root CMD...          runs CMD as root: directly when we are, else with sudo
#   apt_ensure TAG PKG...   installs those of the Debian packages PKG that are missing
#   ccache_launcher         fills the array `launcher` with CMake's ccache options
#   project_version         prints the version from CMakeLists.txt's project()
#   wine_env PREFIX         exports the Wine environment of a prefix of our own
#                           (and makes `wine` start programs through wine_norandom)
#   wine_norandom CMD...    CMD without address randomisation (Wine's shared user data)
#   wine_emulator PREFIX    the emulator list that runs a cross-built test there
#                           (scripts/lib/wine-run: Wine's errors on the test's output)
#   build_sanitized [OPT...] builds the sanitizer tree (sanitized_build, build-asan/)
# Nothing here needs root except what goes through as_root.

vandrel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "${0##*/}: needs root for: $*; there is no sudo" >&2
    return 1
  fi
}

apt_lock=(-o DPkg::Lock::Timeout=900)

# Prints the packages of the list that dpkg does not have installed.
apt_missing() {
  local p
  for p in "$@"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true) == "install ok installed" ]] || echo "$p"
  done
}

apt_ensure() { # tag packages...
  local tag=$1 missing
  shift
  mapfile -t missing < <(apt_missing "$@")
  ((${#missing[@]})) || return 0
  echo "$tag: installing ${missing[*]}" >&2
  as_root apt-get "${apt_lock[@]}" update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get "${apt_lock[@]}" install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# ccache shares objects between the checkouts under one folder; without it the
# array stays empty and the build runs the compilers directly. A CCACHE_BASEDIR
# set but empty is kept: the compiler then sees full paths (scripts/package).
ccache_launcher() {
  launcher=()
  command -v ccache >/dev/null 2>&1 || return 0
  export CCACHE_BASEDIR=${CCACHE_BASEDIR-$(cd "$vandrel_root/.." && pwd)}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
}

project_version() {
  local v
  v=$(sed -n 's/^project(Vandrel VERSION \([0-9.]*\).*/\1/p' "$vandrel_root/CMakeLists.txt")
  [[ -n $v ]] || { echo "${0##*/}: no version in CMakeLists.txt" >&2; return 1; }
  echo "$v"
}

# Wine quiet, without its .NET and HTML installers, in a prefix of our own;
# `wine` in the calling script then starts its programs through wine_norandom.
wine_env() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wine() { wine_norandom wine "$@"; }
}
# wine_norandom CMD...: CMD with the kernel's address randomisation off.
# Debian's Wine starts without its preloader, so nothing keeps the kernel from
# putting the loader's heap (anywhere in the 1 GiB after 0x7d000000) over
# 0x7ffe0000, where every Windows process needs its shared user data: with a
# heap of about half a MiB there, one start in about 2,000 dies with "failed to
# map the shared user data". Without randomisation the heap starts right after
# the loader, every time.
wine_norandom() { setarch "$(uname -m)" -R "$@"; }
wine_emulator() { echo "$vandrel_root/scripts/lib/wine-run;$1"; }

# build_sanitized [scripts/build options...]: the sanitizer tree, build-asan/:
# AddressSanitizer and UBSan with gcc, the compiler of the normal build (a
# clang-built assetgen paints a data set of other bytes, which the recorded
# games refuse).
sanitized_build=build-asan
build_sanitized() {
  local cache=$vandrel_root/$sanitized_build/CMakeCache.txt
  if [[ -f $cache ]] && grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang' "$cache"; then
    rm -rf "$cache" "$vandrel_root/$sanitized_build/CMakeFiles"
  fi
  "$vandrel_root/scripts/build" "$@" "$sanitized_build" -DVANDREL_SANITIZE=ON -DVANDREL_BENCH=OFF
}
