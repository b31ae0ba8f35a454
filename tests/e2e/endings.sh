#!/usr/bin/env bash
# End to end under a private X server: the game ends cleanly whatever ends it.
# SIGTERM, SIGINT and SIGHUP close it as the window's close button does (exit 0
# within a second, the table stored); the X server going away mid-round ends it
# within two seconds, with the table stored and no core dump.
# Usage: endings.sh GAME OUTDIR
set -uo pipefail
game=$(realpath "$1")
E2E_DIR=${2:-$(mktemp -d)}
mkdir -p "$E2E_DIR"
# A game left behind by a failed step may no longer answer a polite signal.
E2E_GAME_SIGNAL=KILL
source "$(dirname "$0")/xsession.sh"

tiny=
e2e_cleanup_more() { [[ -n $tiny ]] && umount "$tiny" 2>/dev/null; }
[[ -x $game ]] || fail "$game is not built"

# Each step below gives the game a store folder of its own.
e2e_game_env

# start_round DATA: a fresh store, the game up to its title, then a round begun.
start_round() {
  export XDG_DATA_HOME=$1
  rm -rf "$XDG_DATA_HOME"
  folder=$("$game" --where-scores)
  (cd "$E2E_DIR" && ulimit -c unlimited && exec "$game") >"$E2E_DIR/game.log" 2>&1 &
  game_pid=$!
  local win
  win=$(e2e_window Vandrel 20) || fail "no window named Vandrel"
  wait_title
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool mousemove 512 300 click 1
  sleep 1
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
}

# ended_within MS: waits for the game to end, at most MS milliseconds after
# the call (and a few seconds more before giving up); sets code and took.
ended_within() {
  local start=$(e2e_now_ms) i
  code=
  for i in $(seq 1 $((($1 + 5000) / 20))); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      took=$(($(e2e_now_ms) - start))
      wait "$game_pid"
      code=$?
      game_pid=
      break
    fi
    sleep 0.02
  done
  [[ -n $code ]] || fail "the game did not end (hangs)"
  ((took <= $1)) || fail "the game took $took ms to end (at most $1)"
}

# table_kept: the table of this start is stored whole, with its check value.
table_kept() {
  [[ -s $folder/highscore.REG_SZ ]] || fail "no table stored in $folder"
  [[ $(stat -c %s "$folder/check.REG_BINARY") == 16 ]] || fail "no check value stored"
  grep -qa '^Jorvane, 900$' "$folder/highscore.REG_SZ" || fail "the stored table is not the one shown"
}

# A store that cannot be written (a file where its folder belongs), headless:
# the game plays on, says once on stderr what failed and where, and still
# closes with status 0 at SIGTERM, the file untouched.
export XDG_DATA_HOME=$E2E_DIR/blocked
rm -rf "$XDG_DATA_HOME" && echo keep >"$XDG_DATA_HOME"
VANDREL_BACKEND=null "$game" >"$E2E_DIR/game.log" 2>&1 &
game_pid=$!
sleep 2
kill -0 "$game_pid" 2>/dev/null || fail "the game did not keep running with an unwritable store"
kill -TERM "$game_pid"
ended_within 1000
((code == 0)) || fail "unwritable store: exit code $code"
said=$(grep -c "could not be saved in $XDG_DATA_HOME/vandrel/" "$E2E_DIR/game.log")
((said == 1)) || fail "unwritable store: said $said times"
[[ $(cat "$XDG_DATA_HOME") == keep ]] || fail "unwritable store: the file in its place was changed"
echo "unwritable store: played on, said so once, exit code 0"

# headless_save_fails WHY: a headless game on the current store, closed by
# SIGTERM, must exit 0 having said once that the save failed, with WHY.
headless_save_fails() {
  VANDREL_BACKEND=null "$game" >"$E2E_DIR/game.log" 2>&1 &
  game_pid=$!
  sleep 2
  kill -0 "$game_pid" 2>/dev/null || fail "the game did not keep running"
  kill -TERM "$game_pid"
  ended_within 1000
  ((code == 0)) || fail "exit code $code"
  [[ $(grep -c "could not be saved in .*: $1" "$E2E_DIR/game.log") == 1 ]] || fail "not said once: $1"
}

# A real full disk and a real read-only folder, where this user may mount a
# tiny file system (root); the table stored before stays byte for byte.
tiny=$E2E_DIR/tiny
mkdir -p "$tiny"
if [[ $EUID == 0 ]] && mount -t tmpfs -o size=64k tmpfs "$tiny" 2>/dev/null; then
  export XDG_DATA_HOME=$tiny/data
  VANDREL_BACKEND=null "$game" >"$E2E_DIR/game.log" 2>&1 &
  game_pid=$!
  sleep 2
  kill -TERM "$game_pid"
  ended_within 1000
  stored=$("$game" --where-scores)
  before=$(cat "$stored"/* | md5sum)
  dd if=/dev/zero of="$tiny/fill" bs=1k count=128 status=none 2>/dev/null
  headless_save_fails "No space left on device"
  [[ $(cat "$stored"/* | md5sum) == "$before" ]] || fail "full disk: the stored table changed"
  ls "$stored" | grep -q tmp && fail "full disk: temporary files left behind"
  rm -f "$tiny/fill"
  mount -o remount,ro "$tiny" || fail "cannot make the tiny file system read-only"
  headless_save_fails "the folder cannot be made or written to"
  [[ $(cat "$stored"/* | md5sum) == "$before" ]] || fail "read-only: the stored table changed"
  umount "$tiny"
  echo "full disk and read-only folder: saves failed, said so once, table untouched, exit code 0"
else
  echo "SKIP (part): no tiny file system can be mounted here"
fi
tiny=

e2e_start_x

for sig in TERM INT HUP; do
  start_round "$E2E_DIR/data-$sig"
  kill -"$sig" "$game_pid"
  ended_within 1000
  ((code == 0)) || fail "SIG$sig: exit code $code"
  table_kept
  echo "SIG$sig: closed in $took ms, exit code 0, table stored"
done

# The X server goes away under the running round.
start_round "$E2E_DIR/data-xgone"
rm -f "$E2E_DIR"/core*
kill -KILL "${e2e_pids[0]}"
ended_within 2000
# A killed X server leaves its lock and socket behind; they were ours.
wait "${e2e_pids[0]}" 2>/dev/null
rm -f "/tmp/.X${DISPLAY#:}-lock" "/tmp/.X11-unix/X${DISPLAY#:}"
((code < 128)) || fail "X server gone: killed by signal $((code - 128))"
compgen -G "$E2E_DIR/core*" >/dev/null && fail "X server gone: a core dump was left"
table_kept
echo "X server gone: ended in $took ms, exit code $code, table stored"
echo "PASS: signals and a vanished X server end the game cleanly"
