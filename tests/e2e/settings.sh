#!/usr/bin/env bash
# The player's settings across two starts of the real game under a private X
# server: the first start (no settings file) makes the file and shows the
# controls over the title; Alt+Enter to the window and three presses of '-'
# are written to it; the second start opens in the window and goes on from
# 70 %, with no hint. A click on the first start's title starts the round at
# once, hint or not.
# Usage: settings.sh GAME OUTDIR
set -uo pipefail
source "$(dirname "$0")/xsession.sh"
e2e_one_game "$@"

e2e_game_env
# No settings file at all: the very first start.
rm -rf "$XDG_CONFIG_HOME"
file=$("$game" --where-settings)
[[ $file == "$XDG_CONFIG_HOME/vandrel/vandrel.ini" ]] || fail "--where-settings said '$file'"

is_full_screen() { xprop -id "$win" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }
# The black box of the hint in the middle of the screen: dark cells there.
dark_middle() {
  e2e_cells_now | awk '$1 >= 20 && $1 < 44 && $2 >= 18 && $2 < 30 && $3 + $4 + $5 < 30 { n++ } END { print n + 0 }'
}
start() {
  e2e_launch "$E2E_DIR/game.log" 20 "$game"
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}

e2e_start_x

# --- First start: full screen as the data set says, the hint over the title. ---
start
[[ -f $file ]] || fail "the first start made no settings file"
grep -q '^# master_volume = 100' "$file" || fail "the new file does not list the settings: $(cat "$file")"
is_full_screen || fail "the first start is not full screen"
sleep 1
e2e_shot "$E2E_DIR/1-hint.png"
dark=$(dark_middle)
((dark >= 60)) || fail "no hint over the first start's title ($dark dark cells)"
xdotool key alt+Return
for i in $(seq 1 100); do is_full_screen || break; sleep 0.05; done
is_full_screen && fail "Alt+Enter did not switch to the window"
wait_title
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
for i in 1 2 3; do xdotool key minus; done
sleep 0.5
e2e_shot "$E2E_DIR/2-notice.png"
grep -qx 'fullscreen = no' "$file" || fail "the window was not kept: $(cat "$file")"
grep -qx 'master_volume = 70' "$file" || fail "the level was not kept: $(cat "$file")"
kill "$game_pid"
wait "$game_pid" 2>/dev/null
game_pid=

# --- Second start: in the window, from 70 %, no hint. ---
start
sleep 1
is_full_screen && fail "the second start is not in the window"
e2e_shot "$E2E_DIR/3-second-title.png"
(($(dark_middle) < 60)) || fail "the hint shows again on the second start"
xdotool key KP_Subtract
sleep 0.3
grep -qx 'master_volume = 60' "$file" || fail "the second start did not go on from 70 %: $(cat "$file")"
kill "$game_pid"
wait "$game_pid" 2>/dev/null
game_pid=
echo "PASS"
