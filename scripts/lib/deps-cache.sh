# One recipe for both dependency builders (scripts/windows-deps, scripts/build-web-deps):
# Debian source packages cross-built into a prefix cached outside the clone,
#   ${XDG_CACHE_HOME:-~/.cache}/vandrel/KIND-<hash of the recipe's data>
# locked against a second builder and resumable after a run cut short.
#
# The hash covers what decides the built libraries: the Debian versions, the
# compiler's version, the toolchain file, the flags and options of every
# library (the caller's key text), and deps_revision, raised by hand when a
# build step changes in a way the key text does not show. The scripts' other
# text is not in it, so tidying them keeps the cache.
#
#   deps_hash KEYTEXT           the 12-digit hash a key text names its prefix by
#   deps_open KIND KEYTEXT      returns (lock held) when something is to be built;
#                               prints the prefix and exits when it is complete
#   deps_adopt NAME LIB...      an older prefix NAME of the same libraries serves
#   deps_begin                  makes the prefix and the work folder
#   deps_srcdir PACKAGE         the unpacked source folder of a package (the
#                               sources of deps_sources are fetched at the first call)
#   deps_step LABEL LIB CMD...  runs CMD once: a finished library is not built again
#   deps_archive NAME DIR CC AR FLAGS... -- FILES...   C files into libNAME.a
#   deps_pc NAME VERSION LIBS CFLAGS                   a pkg-config file
#   deps_header_versions        the header-only packages' versions, for the key
#   deps_copy_headers           those headers (and licences) into the prefix
#   deps_finish                 marks the prefix complete and prints it

# Debian 12's versions, the ones the native build links against; each is
# fetched with `apt-get source NAME=VERSION`.
deps_sources=(
  zlib=1:1.2.13.dfsg-1
  minizip=1.1-8+deb12u1
  libmd=1.0.4-2
  libogg=1.3.5-3
  libvorbis=1.3.7-1
  libpng1.6=1.6.39-2+deb12u5
  libjpeg-turbo=1:2.1.5-2
  libsdl2=2.26.5+dfsg-1
  googletest=1.12.1-0.2
  benchmark=1.7.1-1
)
deps_revision=1
# Header-only libraries are not built: their headers are copied from the build
# machine's Debian package, the very files the native build compiles with
# (package:folder under /usr/include).
deps_header_packages=(libtomlplusplus-dev:toml++)
deps_cache=${XDG_CACHE_HOME:-$HOME/.cache}/vandrel
deps_jobs=$(nproc)

deps_say() { echo "$deps_tag: $*" >&2; }

deps_hash() { # keytext
  printf '%s\n' "$(printf 'revision %s\n%s\n' "$deps_revision" "$1")" | sha256sum | cut -c1-12
}

deps_open() { # kind keytext
  deps_tag=${0##*/}
  deps_key=$(printf 'revision %s\n%s\n' "$deps_revision" "$2")
  prefix=$deps_cache/$1-$(deps_hash "$2")
  deps_complete && { echo "$prefix"; exit 0; }
  mkdir -p "$deps_cache"
  exec 9>"$prefix.lock"
  flock 9
  deps_complete && { echo "$prefix"; exit 0; }
  work=$prefix.work
  deps_log=$work/build.log
}

deps_begin() {
  mkdir -p "$prefix"/{include,lib/pkgconfig} "$work"
  deps_started=$(date +%s)
  deps_say "building into $prefix (log: $deps_log)"
}

# Complete means built by this very key; a prefix adopted from an earlier
# recipe holds its own key and so goes through the steps, which skip what it has.
deps_complete() { [[ -f $prefix/.complete && $(cat "$prefix/.complete") == "$deps_key" ]]; }

# A prefix the earlier builders made (their hash covered the script's text) of
# the same versions and flags is taken over as it is, under a link with the
# new name: its pkg-config and CMake files name its own folder, which stays.
# The libraries it holds count as built.
deps_adopt() { # name libs...
  local old=$deps_cache/$1 lib
  shift
  [[ -e $prefix || ! -f $old/.complete ]] && return 0
  ln -s "$(basename "$old")" "$prefix"
  for lib in "$@"; do touch "$prefix/.done-$lib"; done
  deps_say "taking over $old (same versions and flags)"
}

# apt-get source needs a deb-src entry: a file of our own when no file has
# one, the system's own sources left as they are. Only this step is root's.
deps_ensure_deb_src() {
  if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local suite
    suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    deps_say "adding Debian's source archive (/etc/apt/sources.list.d/vandrel-src.sources)"
    as_root tee /etc/apt/sources.list.d/vandrel-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    as_root apt-get "${apt_lock[@]}" update -qq
  elif ! apt-cache showsrc --only-source zlib 2>/dev/null | grep -q '^Package:'; then
    as_root apt-get "${apt_lock[@]}" update -qq # the entry is there, its index not yet
  fi
}

deps_fetch() {
  [[ -f $work/src/.fetched ]] && return 0
  deps_say "fetching the sources"
  deps_ensure_deb_src >>"$deps_log" 2>&1
  rm -rf "$work/src" && mkdir -p "$work/src"
  (cd "$work/src" && apt-get source -qq "${deps_sources[@]}") >>"$deps_log" 2>&1 || {
    deps_say "apt-get source failed; the end of $deps_log:"
    tail -20 "$deps_log" >&2
    exit 1
  }
  touch "$work/src/.fetched"
}

deps_srcdir() {
  deps_fetch
  find "$work/src" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -1
}

deps_step() { # label lib command...
  local t done=$prefix/.done-$2
  t=$(date +%s)
  [[ -f $done ]] && return 0
  deps_say "$1"
  # In the background, so that `set -e` holds inside the step's functions;
  # a builder stopped on the way ends the step with it.
  set -m # a process group of its own, ended whole
  "${@:3}" >>"$deps_log" 2>&1 &
  deps_step_pid=$!
  set +m
  trap 'kill -- -"$deps_step_pid" 2>/dev/null; exit 130' INT TERM
  wait "$deps_step_pid" || {
    deps_say "$1 failed; the end of $deps_log:"
    tail -30 "$deps_log" >&2
    exit 1
  }
  trap - INT TERM
  echo "$deps_tag: $1 took $(($(date +%s) - t)) s" >>"$deps_log"
  touch "$done"
}

# Small libraries whose C files compile as they are: one static library each.
deps_archive() { # name dir cc ar flags... -- files...
  local name=$1 dir=$2 cc=$3 ar=$4 flags=()
  shift 4
  while [[ $1 != -- ]]; do flags+=("$1"); shift; done
  shift
  local out=$work/obj-$name f objs=()
  rm -rf "$out" && mkdir -p "$out"
  for f in "$@"; do objs+=("$out/$(basename "$f" .c).o"); done
  printf '%s\n' "$@" | xargs -P"$deps_jobs" -I{} sh -c \
    "$cc ${flags[*]} -c '$dir/{}' -o '$out/'\$(basename {} .c).o"
  "$ar" rcs "$prefix/lib/lib$name.a" "${objs[@]}"
}

deps_pc() { # name version libs cflags [requires]
  cat >"$prefix/lib/pkgconfig/$1.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: $1
Description: $1, cross-built from Debian's source
Version: $2
Requires: ${5:-}
Libs: -L\${libdir} $3
Cflags: -I\${includedir} $4
PC
}

deps_header_versions() {
  local entry package
  for entry in "${deps_header_packages[@]}"; do
    package=${entry%%:*}
    printf '%s %s\n' "$package" "$(dpkg-query -W -f '${Version}' "$package" 2>/dev/null || echo missing)"
  done
}

# A missing package stops the build: the game cannot be built without it.
deps_copy_headers() {
  local entry package folder
  mkdir -p "$prefix/share/vandrel-licences"
  for entry in "${deps_header_packages[@]}"; do
    package=${entry%%:*} folder=${entry#*:}
    if [[ ! -d /usr/include/$folder ]]; then
      echo "$package is not installed: run scripts/install-deps" >&2
      return 1
    fi
    rm -rf "${prefix:?}/include/$folder"
    cp -r "/usr/include/$folder" "$prefix/include/"
    cp "/usr/share/doc/$package/copyright" "$prefix/share/vandrel-licences/$package.txt"
  done
}

deps_finish() {
  if [[ -f $deps_log ]]; then cat "$deps_log" >>"$prefix/build.log"; fi
  rm -rf "$work"
  printf '%s\n' "$deps_key" >"$prefix/.complete"
  deps_say "done in $(($(date +%s) - deps_started)) s"
  echo "$prefix"
}
