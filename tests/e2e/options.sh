#!/usr/bin/env bash
# The command line of the real game, without a display: --help and --version,
# wrong options refused with the usage and status 2 before anything starts,
# --data with a plain zip and with an executable carrying the data set, and a
# file that is no data set refused with status 1.
# Usage: options.sh GAME GAME_BARE DATASET_ZIP PACK RECORDING OUTDIR
set -uo pipefail
game=$1 bare=$2 zip=$3 pack=$4 recording=$5
out=${6:-$(mktemp -d)}
mkdir -p "$out"
fail() { echo "FAIL: $*"; exit 1; }
for f in "$game" "$bare" "$pack"; do [[ -x $f ]] || fail "$f is not built"; done
[[ -f $zip ]] || fail "no data set $zip"

export XDG_DATA_HOME="$out/data"
export VANDREL_MACHINE_STORE="$out/no-machine-store"
export XDG_CONFIG_HOME="$out/config"
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# No display anywhere: a command that tried to start the game would say so.
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER

# run NAME ARGS...: the game's status, stdout and stderr into $out/NAME.*
run() {
  local name=$1; shift
  timeout 60 "$game" "$@" >"$out/$name.out" 2>"$out/$name.err"
  echo $? >"$out/$name.code"
}
code() { cat "$out/$1.code"; }

run help --help
(($(code help) == 0)) || fail "--help exited $(code help)"
for o in --window --fullscreen '--scale N' --integer-scale '--filter nearest|linear' '--data FILE' \
  '--record FILE' '--replay FILE' --where-scores '--config FILE' --where-settings '--check KIT' --strict \
  --version --help; do
  grep -qF -- "$o" "$out/help.out" || fail "--help does not list $o"
done
[[ ! -s $out/help.err ]] || fail "--help wrote to stderr"
# The manual page describes every option --help lists.
manual=$(cd "$(dirname "$0")/../.." && pwd)/doc/vandrel.6
for o in $(grep -o -- '--[a-z-]*' "$out/help.out" | sort -u); do
  # In the page's source every dash is escaped: --integer-scale is "Fl \-integer\-scale".
  grep -qF -- "Fl \\-$(sed 's/-/\\-/g' <<<"${o#--}")" "$manual" || fail "the manual page does not describe $o"
done

run version --version
(($(code version) == 0)) || fail "--version exited $(code version)"
grep -Eq '^vandrel [0-9]+(\.[0-9]+)+ \(.+\)$' "$out/version.out" || fail "--version printed '$(cat "$out/version.out")'"

# Wrong options: the usage on stderr, status 2, nothing on stdout, and no
# complaint about the missing display (nothing was started).
for args in "--fulscreen" "--scale 0" "--scale two" "--filter cubic" "--window --fullscreen" "--data" \
  "stray" "--record a.vrec --replay b.vrec"; do
  # shellcheck disable=SC2086
  run wrong $args
  (($(code wrong) == 2)) || fail "'$args' exited $(code wrong), not 2"
  grep -q '^usage: vandrel' "$out/wrong.err" || fail "'$args' printed no usage on stderr"
  [[ ! -s $out/wrong.out ]] || fail "'$args' wrote to stdout"
  ! grep -q Grafikausgabe "$out/wrong.err" || fail "'$args' tried to start the game"
done

# Files that hold no data set: a clear message and status 1.
printf 'not a zip at all\n' >"$out/text.txt"
"$pack" build "$out/other.zip" "$out/text.txt" >/dev/null || fail "cannot pack a foreign zip"
for f in "$out/missing" "$out/text.txt" "$out/other.zip" "$bare"; do
  run notdata --data "$f" --window
  (($(code notdata) == 1)) || fail "--data $f exited $(code notdata), not 1"
  grep -q "is not a data set" "$out/notdata.err" || fail "--data $f said: $(cat "$out/notdata.err")"
done

# The data set as a plain zip and behind another executable: the same table.
own=$("$game" --where-scores)
run plain --data "$zip" --where-scores
(($(code plain) == 0)) || fail "--data with the plain zip exited $(code plain): $(cat "$out/plain.err")"
[[ $(cat "$out/plain.out") == "$own" ]] || fail "the plain zip's table is $(cat "$out/plain.out"), not $own"
relative=$(cd "$(dirname "$zip")" && "$game" --data "$(basename "$zip")" --where-scores 2>&1)
[[ $relative == "$own" ]] || fail "--data with a name relative to the current folder said: $relative"
"$pack" append "$bare" "$zip" "$out/carrier" >/dev/null || fail "cannot append the data set"
run carrier --data "$out/carrier" --where-scores
(($(code carrier) == 0)) || fail "--data with an executable exited $(code carrier)"
[[ $(cat "$out/carrier.out") == "$own" ]] || fail "the carrier's table differs"
# The settings file: the system's place, or the one --config names (relative
# to the current folder), which wins over a portable file beside the game.
run settings --where-settings
[[ $(cat "$out/settings.out") == "$out/config/vandrel/vandrel.ini" ]] ||
  fail "--where-settings said '$(cat "$out/settings.out")'"
cp "$game" "$out/portable-vandrel" && : >"$out/vandrel.ini"
[[ $("$out/portable-vandrel" --where-settings) == "$out/vandrel.ini" ]] || fail "a vandrel.ini beside the game is not used"
[[ $(cd "$out" && "$out/portable-vandrel" --config "mine.ini" --where-settings) == "$out/mine.ini" ]] ||
  fail "--config does not win over the portable file"
rm -f "$out/portable-vandrel" "$out/vandrel.ini"

# A recording replays on the same data set given as a plain zip, and the
# options may come in either order.
if [[ -f $recording ]]; then
  run replay --replay "$recording" --data "$zip"
  (($(code replay) == 0)) || fail "the replay with --data exited $(code replay): $(tail -3 "$out/replay.out")"
fi
echo "PASS: --help, --version, wrong options, foreign files, --data as zip and as executable"
