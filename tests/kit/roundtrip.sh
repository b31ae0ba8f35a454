#!/usr/bin/env bash
# The game's own data set exported as a kit and compiled back gives the same
# bytes, a figure's points changed in gallery.toml reach the compiled set, and
# a recorded game replays from the kit played directly with --data.
# Usage: roundtrip.sh GAME DATASET.zip RECORDING OUTDIR
set -uo pipefail
game=$1 dataset=$2 recording=$3 out=$4
fail() { echo "FAIL: $*"; exit 1; }
rm -rf "$out" && mkdir -p "$out"
"$game" --export-kit "$out/kit" >/dev/null || fail "--export-kit failed"
"$game" --check "$out/kit" | grep -q '0 errors, 0 warnings' || fail "the exported kit does not check clean"
"$game" --make-data "$out/kit" "$out/again.zip" || fail "--make-data failed"
cmp "$dataset" "$out/again.zip" || fail "the round trip changed the data set's bytes"

# One figure type's points changed: the compiled set differs from the game's
# in the figure entry only, and carries the new value.
cp -r "$out/kit" "$out/changed"
sed -i '0,/^points = .*/s//points = 777/' "$out/changed/gallery.toml"
"$game" --make-data "$out/changed" "$out/changed.zip" || fail "the changed kit does not compile"
unzip -q -o "$dataset" figur.xx -d "$out/before" && unzip -q -o "$out/changed.zip" figur.xx -d "$out/after" ||
  fail "cannot read the figure entries"
cmp -s "$out/before/figur.xx" "$out/after/figur.xx" && fail "the changed points did not reach the data set"
# 777 as a little-endian 32-bit field.
LC_ALL=C grep -qaP '\x09\x03\x00\x00' "$out/after/figur.xx" || fail "the figure entry does not hold 777"

export XDG_DATA_HOME="$out/data" VANDREL_MACHINE_STORE="$out/no-machine-store"
read -r _ r_code r_tick r_state r_score r_pending r_frame < <(grep '^end ' "$recording")
line=$("$game" --data "$out/kit" --replay "$recording" 2>&1 | grep '^end: ')
want="end: exit $r_code, tick $r_tick, state $r_state, score $r_score, pending $r_pending, frame $r_frame"
[[ $line == "$want" ]] || fail "replayed from the kit as '$line', recorded '$want'"

# A kit with errors plays nothing and says why.
mkdir -p "$out/broken" && printf 'format = 1\n[gallery]\nname = "x"\n' >"$out/broken/gallery.toml"
"$game" --data "$out/broken" >"$out/broken.txt" 2>&1
(($? == 1)) || fail "a broken kit did not exit 1"
grep -q 'gallery.toml:2:1: error: \[gallery\] needs "table-name"' "$out/broken.txt" || fail "no message for a broken kit"
echo "round trip: identical"
