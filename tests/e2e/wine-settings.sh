#!/usr/bin/env bash
# The Windows game's settings under Wine and a private X server, with an
# APPDATA of the test's own (set by cmd for the game alone, as Wine sets its
# own for every program): --where-settings names the file there; the first
# start makes it; Alt+Enter to the window and three presses of '-' are
# written to it; the second start opens in the window and goes on from 70 %.
# Usage: wine-settings.sh EXE OUTDIR
set -uo pipefail
exe=$(realpath "$1")
E2E_DIR=$(realpath -m "$2")
rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
E2E_SCREEN=1024x768x24
source "$(dirname "$0")/xsession.sh"
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }

export WINEPREFIX=$E2E_DIR/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset SDL_AUDIODRIVER SDL_VIDEODRIVER
e2e_cleanup_more() { wineserver -k 2>/dev/null; }
wine wineboot -i >"$E2E_DIR/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$E2E_DIR/wineboot.log")"
wineserver -w
mkdir -p "$WINEPREFIX/drive_c/Spiele"
cp "$exe" "$WINEPREFIX/drive_c/Spiele/Vandrel.exe"
appdata='C:\Eigene Einstellungen'
# game ARGS...: the game with the test's APPDATA.
game() { wine cmd /c "set APPDATA=$appdata&& C:\\Spiele\\Vandrel.exe $*"; }

where=$(game --where-settings 2>"$E2E_DIR/where.log" | tr -d '\r')
[[ $where == "$appdata\\Vandrel\\vandrel.ini" ]] || fail "--where-settings said '$where'"
file="$WINEPREFIX/drive_c/Eigene Einstellungen/Vandrel/vandrel.ini"

is_full_screen() { xprop -id "$win" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }
start() {
  game >"$E2E_DIR/game.log" 2>&1 &
  game_pid=$!
  win=$(e2e_window Vandrel 60) || fail "no window named Vandrel"
  # The title in colour, full screen or in the window at the top left.
  local i c=0
  for i in $(seq 1 300); do
    read -r c _ < <(e2e_cells_now | e2e_count_colourful 0 40)
    ((c >= 400)) && break
    sleep 0.1
  done
  ((c >= 400)) || fail "the title never showed ($c coloured cells)"
  sleep 2
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}
stop() {
  xdotool key Escape
  sleep 0.5
  xdotool key Escape
  sleep 0.5
  xdotool key Escape
  wait "$game_pid" 2>/dev/null
  game_pid=
  wineserver -w
}

e2e_start_x
echo "first start"
start
[[ -f $file ]] || fail "the first start made no settings file"
is_full_screen || fail "the first start is not full screen"
xdotool key alt+Return
for i in $(seq 1 100); do is_full_screen || break; sleep 0.05; done
is_full_screen && fail "Alt+Enter did not switch to the window"
sleep 3
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
for i in 1 2 3; do xdotool key minus; done
sleep 0.5
tr -d '\r' <"$file" | grep -qx 'fullscreen = no' || fail "the window was not kept: $(cat "$file")"
tr -d '\r' <"$file" | grep -qx 'master_volume = 70' || fail "the level was not kept: $(cat "$file")"
stop

echo "second start"
start
is_full_screen && fail "the second start is not in the window"
xdotool key KP_Subtract
sleep 0.5
tr -d '\r' <"$file" | grep -qx 'master_volume = 60' || fail "the second start did not go on from 70 %: $(cat "$file")"
stop
echo "PASS"
