#!/usr/bin/env bash
# Replays one recorded game on the built game and compares what the replay
# prints with what the recording says: the exit code, the last tick, screen,
# score, pending score and frame hash, and the stored table afterwards.
# Usage: replay.sh GAME RECORDING OUTDIR [DATA]
# DATA: the data set the game was recorded on when it is not the game's own
# (a gallery's zip).
set -uo pipefail
game=$1 recording=$2 out=$3 data=${4:-}
mkdir -p "$out"
name=$(basename "$recording" .vrec)
fail() { echo "FAIL ($name): $*"; [[ -f $out/$name.txt ]] && cat "$out/$name.txt"; exit 1; }
[[ -x $game ]] || fail "$game is not built"
[[ -f $recording ]] || fail "no recording $recording"
data_args=()
if [[ -n $data ]]; then
  [[ -f $data ]] || fail "no data set $data"
  data_args=(--data "$data")
fi

# The replay keeps its table in a folder of its own; this one only makes sure
# nothing reaches the player's.
export XDG_DATA_HOME="$out/data-$name"
export VANDREL_MACHINE_STORE="$out/no-machine-store"
rm -rf "$XDG_DATA_HOME"

# VANDREL_GAME_RUNNER runs a game built for another system (Wine for Windows).
read -r -a runner <<<"${VANDREL_GAME_RUNNER:-}"
"${runner[@]}" "$game" "${data_args[@]}" --replay "$recording" >"$out/$name.txt" 2>&1
code=$?
sed -i 's/\r$//' "$out/$name.txt"
if ((code == 2)) && grep -q "record it again" "$out/$name.txt"; then
  fail "recorded with another data set: regenerate with 'cmake --build BUILD --target replays' and commit tests/replay"
fi
((code == 0)) || fail "the replay exited with $code"

# end CODE TICK STATE SCORE PENDING FRAME, as recorded ...
read -r _ r_code r_tick r_state r_score r_pending r_frame < <(grep '^end ' "$recording")
[[ -n ${r_frame:-} ]] || fail "the recording has no end"
# ... and as replayed: "end: exit C, tick T, state S, score N, pending P, frame H"
line=$(grep '^end: ' "$out/$name.txt")
want="end: exit $r_code, tick $r_tick, state $r_state, score $r_score, pending $r_pending, frame $r_frame"
[[ $line == "$want" ]] || fail "ended as '$line', recorded '$want'"
grep -q ', all as recorded$' "$out/$name.txt" || fail "not every checkpoint was confirmed"

# The table the replay left behind against the recording's own comment lines.
want_table=$(sed -n '/^# The stored high-score table afterwards:/,/^final /p' "$recording" | sed -n 's/^# //p' | tail -n +2)
got_table=$(sed -n '/^table:$/,$p' "$out/$name.txt" | tail -n +2)
[[ $got_table == "$want_table" ]] || fail "table differs: got '$got_table', recorded '$want_table'"
[[ ! -e $XDG_DATA_HOME ]] || fail "the replay wrote into XDG_DATA_HOME"
echo "PASS ($name): $(head -n1 "$out/$name.txt")"
