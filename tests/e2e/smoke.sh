#!/usr/bin/env bash
# Smoke test of the real game under a private X server: it must reach the
# title screen in colour, walk through the high-score and closing screens on
# three Escapes and end with exit code 0.
# Usage: smoke.sh GAME OUTDIR
set -uo pipefail
game=$1
E2E_DIR=${2:-$(mktemp -d)}
mkdir -p "$E2E_DIR"
E2E_SCREEN=1024x768x24  # 4:3, so the scaled frame fills the width
source "$(dirname "$0")/xsession.sh"

[[ -x $game ]] || fail "$game is not built"

# Without any display the game must say so and fail, not run unseen.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  timeout 20 "$game" >"$E2E_DIR/nodisplay.log" 2>&1
code=$?
((code == 1)) && grep -q "Grafikausgabe konnte" "$E2E_DIR/nodisplay.log" ||
  fail "without a display the game exited $code: $(cat "$E2E_DIR/nodisplay.log")"

e2e_start_x

e2e_game_env

start=$(e2e_now_ms)
"$game" >"$E2E_DIR/game.log" 2>&1 &
game_pid=$!

win=$(e2e_window Vandrel 20) || fail "no window named Vandrel"

# The title is grey and turns colour from the left while loading; at 100 %
# its right quarter is in colour too.
title_ms=
for i in $(seq 1 600); do
  # The last column turns colour only with the bar at 100 (at 99 the
  # rightmost 6 frame pixels are still grey). The desktop is 4:3, so the
  # scaled frame reaches its right edge.
  edge=$(e2e_column_colourful 1021)
  if ((edge >= 200)); then
    title_ms=$(($(e2e_now_ms) - start))
    break
  fi
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
  sleep 0.05
done
[[ -n $title_ms ]] || fail "the title never reached full colour"
echo "title at 100 % after ${title_ms} ms (from launch, probing the screen every ~0.2 s)"
echo "$title_ms" >"$E2E_DIR/title_ms"
sleep 0.3
e2e_shot "$E2E_DIR/title.png"
read -r left lit < <(e2e_colourful "$E2E_DIR/title.png" 0 64)
echo "title: $left of 3072 cells coloured, $lit lit"
((left >= 600 && lit >= 2000)) || fail "the title screen is not showing"

xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

# Alt+Enter to a window and back: each switch reloads everything and ends on
# the title with the bar at 100 again.
wait_title() {
  local i
  for i in $(seq 1 300); do
    (($(e2e_column_colourful 1021) >= 200)) && return 0
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
is_full_screen() { xprop -id "$win" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }
is_full_screen || fail "the shipped set-up starts full screen"
for mode in window fullscreen; do
  xdotool key alt+Return
  want=yes
  [[ $mode == window ]] && want=no
  switched=
  for i in $(seq 1 100); do
    now=no
    is_full_screen && now=yes
    [[ $now == "$want" ]] && { switched=1; break; }
    sleep 0.05
  done
  [[ -n $switched ]] || fail "Alt+Enter did not switch to $mode"
  # The reload starts over from a grey title; until its first frame the old
  # one may still be on the screen.
  grey_seen=
  for i in $(seq 1 60); do
    (($(e2e_column_colourful 1021) < 20)) && { grey_seen=1; break; }
    sleep 0.05
  done
  [[ -n $grey_seen ]] || echo "note: the reload after switching to $mode was too quick to see"
  wait_title || fail "no title after switching to $mode"
  e2e_shot "$E2E_DIR/title-$mode.png"
  read -r right _ < <(e2e_colourful "$E2E_DIR/title-$mode.png" 48 64)
  ((right >= 600)) || fail "the title after switching to $mode is not in full colour"
done
echo "Alt+Enter: window and back, title both times"

xdotool mousemove 512 384
sleep 0.2
xdotool key Escape
sleep 1.5
e2e_shot "$E2E_DIR/highscores.png"
xdotool key Escape
sleep 1.0
e2e_shot "$E2E_DIR/credits.png"
xdotool key Escape

wait_exit
echo "PASS: title, mode switches, high scores, credits, exit 0"
