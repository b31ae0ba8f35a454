#!/usr/bin/env bash
# Which git description the build writes into the game (cmake/BuildVersion.cmake):
# the source folder's own repository's, a git-archive tarball's own, and never
# that of a repository the tarball happens to be unpacked in.
# Usage: description.sh SOURCE_DIR WORK_DIR
set -uo pipefail
src=$(realpath "$1")
work=$(realpath -m "$2")
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

git_quiet() { git -c user.name=t -c user.email=t@example.org -c init.defaultBranch=main "$@" >/dev/null; }
# describe DIR: the description the build would give a game built from DIR.
describe() {
  cmake -DSOURCE_DIR="$1" -DVERSION=9.9 -DOUT="$work/out.cpp" -P "$src/cmake/BuildVersion.cmake" || return 1
  sed -n 's/.*buildDescription = "\(.*\)";/\1/p' "$work/out.cpp"
  rm -f "$work/out.cpp"
}
# tree DIR: a source tree of just what the script reads.
tree() {
  mkdir -p "$1/cmake"
  cp "$src/cmake/BuildVersion.cmake" "$1/cmake/"
  cp "$src/cmake/SourceDescription.txt" "$1/cmake/"
}

# A repository of its own: its commit, and -dirty once a tracked file changes.
tree "$work/own"
git_quiet -C "$work/own" init
git_quiet -C "$work/own" add -A
git_quiet -C "$work/own" commit -m one
hash=$(git -C "$work/own" rev-parse --short=12 HEAD)
[[ $(describe "$work/own") == "$hash" ]] || fail "own repository: '$(describe "$work/own")', not $hash"
git_quiet -C "$work/own" tag v1.0
[[ $(describe "$work/own") == v1.0 ]] || fail "tagged: '$(describe "$work/own")', not v1.0"
echo "# changed" >>"$work/own/cmake/BuildVersion.cmake"
[[ $(describe "$work/own") == v1.0-dirty ]] || fail "changed: '$(describe "$work/own")', not v1.0-dirty"

# The tree as git archive writes it, unpacked inside another repository: the
# archive's own description, never the outer repository's commit.
printf 'cmake/SourceDescription.txt export-subst\n' >"$work/own/.gitattributes"
git -C "$work/own" checkout -q -- cmake/BuildVersion.cmake
git_quiet -C "$work/own" add -A
git_quiet -C "$work/own" commit -m two
own_describe=$(git -C "$work/own" describe --tags --abbrev=12)
mkdir -p "$work/outer"
git_quiet -C "$work/outer" init
echo outer >"$work/outer/file"
git_quiet -C "$work/outer" add -A
git_quiet -C "$work/outer" commit -m outer
outer_hash=$(git -C "$work/outer" rev-parse --short HEAD)
mkdir -p "$work/outer/third_party"
git -C "$work/own" archive --prefix=game/ HEAD | tar -x -C "$work/outer/third_party"
got=$(describe "$work/outer/third_party/game")
[[ $got == "$own_describe" ]] || fail "archive inside another repository: '$got', not '$own_describe'"

# The same tree without a description (copied by hand): none, and still not the
# outer repository's.
tree "$work/outer/copied"
got=$(describe "$work/outer/copied")
[[ $got == "no git description" ]] || fail "copied tree inside another repository: '$got' (outer is $outer_hash)"

# An archive of an untagged commit names its hash.
git_quiet -C "$work/outer" add -A
git_quiet -C "$work/outer" commit -m plain
rm -rf "$work/outer/copied"
git_quiet -C "$work/outer" rm -rq third_party/game
mkdir -p "$work/plain"
tree "$work/plain/src"
printf 'cmake/SourceDescription.txt export-subst\n' >"$work/plain/src/.gitattributes"
git_quiet -C "$work/plain/src" init
git_quiet -C "$work/plain/src" add -A
git_quiet -C "$work/plain/src" commit -m untagged
plain_hash=$(git -C "$work/plain/src" rev-parse --short=12 HEAD)
mkdir -p "$work/plain/unpacked"
git -C "$work/plain/src" archive HEAD | tar -x -C "$work/plain/unpacked"
got=$(describe "$work/plain/unpacked")
[[ $got == "$plain_hash" ]] || fail "untagged archive: '$got', not $plain_hash"

((failures == 0)) && echo "PASS: the description is the source folder's own, in a clone and in a tarball"
exit $((failures > 0))
