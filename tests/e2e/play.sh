#!/usr/bin/env bash
# A whole game end to end under a private X server, on a game whose rounds last
# twelve seconds: the title, a round with shots at the figures seen moving in
# screenshots, the high-score screen, a typed name, the credits and exit code 0.
# Then a second game: Alt+Enter in the middle of a round, a round in the window,
# Alt+Enter in the middle of that one, and out. Screenshots of every step stay
# in OUTDIR.
# Usage: play.sh GAME_BARE ASSETGEN PACK OUTDIR
set -uo pipefail
bare=$(realpath "$1") assetgen=$(realpath "$2") pack=$(realpath "$3")
E2E_DIR=$(realpath -m "${4:-$(mktemp -d)}")
mkdir -p "$E2E_DIR"
source "$(dirname "$0")/xsession.sh"

for f in "$bare" "$assetgen" "$pack"; do [[ -x $f ]] || fail "$f is not built"; done

# --- The game with twelve-second rounds, from the generator's own set-up options. ---
e2e_short_game "$bare" "$assetgen" "$pack" 12
game=$E2E_DIR/short/vandrel

e2e_game_env
folder=$("$game" --where-scores)
table=$(basename "$folder")

# A stored table with rows any hit beats, so the round's score earns a row, with
# its check value made here with md5sum.
mkdir -p "$folder"
printf 'Ada, 5\nBo, 1\n\0' >"$folder/highscore.REG_SZ"
e2e_store_check "$folder/highscore.REG_SZ" "$table"

is_full_screen() { xprop -id "$win" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }
wait_mode() {
  local i now
  for i in $(seq 1 100); do
    now=window
    is_full_screen && now=full
    [[ $now == "$1" ]] && return 0
    sleep 0.05
  done
  fail "Alt+Enter did not switch to $1"
}

e2e_start_x

# --- First game: title, round, high scores, name, credits. ---
e2e_launch "$E2E_DIR/game.log" 20 "$game"
e2e_shot "$E2E_DIR/1-title.png"
read -r coloured lit < <(e2e_colourful "$E2E_DIR/1-title.png" 0 64)
((coloured >= 600 && lit >= 2000)) || fail "the title is not showing ($coloured coloured, $lit lit cells)"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

start_round 1-title.png 2-round.png 512 384 12
round_start=$(($(e2e_now_ms) - 1000))
shoot_round 9000 3 "$E2E_DIR/3-first-shot.png"
e2e_shot "$E2E_DIR/4-round-late.png"

# The round ends a second after 0:00, then the table wipes in over the last
# frame; typing counts only once the screen stands still.
wait_still 20 || fail "the screen never came to rest after the round"
e2e_shot "$E2E_DIR/5-highscores.png"
d=$(difference 4-round-late.png 5-highscores.png)
above "$d" 15 || fail "the high-score screen does not show (differs from the round by $d)"
xdotool type --delay 120 "Tester"
xdotool key Return
sleep 0.5
e2e_shot "$E2E_DIR/6-named.png"
d=$(difference 5-highscores.png 6-named.png)
above "$d" 0.05 || fail "the typed name does not show"
row=$(tr -d '\0' <"$folder/highscore.REG_SZ" 2>/dev/null | grep '^Tester, ')
score=${row#Tester, }
[[ -n $row ]] && ((score > 0)) || fail "no scoring row for the name in the stored table: '${row}'"
echo "stored: $row"

xdotool click 1  # leave the table: the title again
sleep 1
xdotool key Escape
sleep 3
xdotool key Escape
sleep 1
e2e_shot "$E2E_DIR/7-credits.png"
sleep 0.5
e2e_shot "$E2E_DIR/8-credits-later.png"
d=$(difference 6-named.png 7-credits.png)
above "$d" 10 || fail "the credits screen does not show (differs from the table by $d)"
d=$(difference 7-credits.png 8-credits-later.png)
above "$d" 0.05 || fail "the credits line does not scroll"
xdotool click 1
wait_exit
echo "first game: title, round, table, name, credits, exit 0"

# --- Second game: Alt+Enter in the middle of two rounds. ---
e2e_launch "$E2E_DIR/game2.log" 20 "$game"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
is_full_screen || fail "the game did not start full screen"
e2e_shot "$E2E_DIR/9-title-full.png"
start_round 9-title-full.png 9-round-full.png 512 384 15
sleep 1
e2e_shot "$E2E_DIR/9-round-full.png"
xdotool key alt+Return
wait_mode window
sleep 3
e2e_shot "$E2E_DIR/10-title-window.png"
read -r coloured _ < <(e2e_colourful "$E2E_DIR/10-title-window.png" 0 40)
((coloured >= 400)) || fail "no title in the window after the first Alt+Enter ($coloured coloured cells)"
d=$(difference 9-round-full.png 10-title-window.png)
above "$d" 15 || fail "the round did not end with the switch"
start_round 10-title-window.png 11-round-window.png 320 240 15
xdotool key alt+Return
wait_mode full
wait_title
sleep 0.5
e2e_shot "$E2E_DIR/12-title-full.png"
read -r right _ < <(e2e_colourful "$E2E_DIR/12-title-full.png" 48 64)
((right >= 400)) || fail "the title after the second Alt+Enter does not fill the screen"
xdotool key Escape
sleep 3
xdotool key Escape
sleep 1
xdotool key Escape
wait_exit
rm -f "$E2E_DIR"/look-*.ppm
echo "PASS: a round with aimed shots, the table, a name, the credits; Alt+Enter twice mid-round; exit 0 twice"
