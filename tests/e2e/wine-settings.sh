#!/usr/bin/env bash
# The Windows game's settings across two starts under Wine and a private X
# server, with an APPDATA of the test's own (set by cmd for the game alone, as
# Wine sets its own for every program): --where-settings names the file there;
# the first start makes it and opens full screen; Alt+Enter to the window and
# three presses of '-' are written to it; the game ends by its own Escapes; the
# second start opens in the window, goes on from 70 % with the keypad's '-',
# and ends by its Escapes too. Screenshots of each step in OUTDIR.
# Usage: wine-settings.sh EXE OUTDIR
set -uo pipefail
exe=$(realpath "$1")
E2E_DIR=$(realpath -m "$2")
rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
E2E_SCREEN=1024x768x24
source "$(dirname "$0")/xsession.sh"
source "$(dirname "$0")/../../scripts/lib/common.sh"
[[ -f $exe ]] || fail "$exe is not built"
command -v wine >/dev/null || fail "wine is not installed (scripts/build-windows installs it)"

# A Wine prefix of this run's own, no sound device: the game runs silent.
wine_env "$E2E_DIR/wineprefix"
unset SDL_AUDIODRIVER SDL_VIDEODRIVER
e2e_cleanup_more() { wineserver -k 2>/dev/null; }
wine wineboot -i >"$E2E_DIR/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$E2E_DIR/wineboot.log")"
wineserver -w
mkdir -p "$WINEPREFIX/drive_c/Spiele"
cp "$exe" "$WINEPREFIX/drive_c/Spiele/Vandrel.exe"
appdata='C:\Eigene Einstellungen'
file="$WINEPREFIX/drive_c/Eigene Einstellungen/Vandrel/vandrel.ini"
# game ARGS...: the game with the test's APPDATA.
game() { wine cmd /c "set APPDATA=$appdata&& C:\\Spiele\\Vandrel.exe $*"; }

where=$(game --where-settings 2>"$E2E_DIR/where.log" | tr -d '\r')
[[ $where == "$appdata\\Vandrel\\vandrel.ini" ]] || fail "--where-settings said '$where'"
[[ -e $file ]] && fail "--where-settings made the file"
# The server and Wine's desktop process end here: a Wine program started before
# the X server would leave them without a display, and no window would open.
wineserver -w
e2e_start_x

is_full_screen() { xprop -id "$win" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN; }
# The size of what the game draws into, WxH: the client window Wine makes
# inside its X window. The window manager here stretches every X window over
# the screen, and Xvfb does not paint over what a full-screen frame left
# behind, so neither the X window nor the screen's pixels tell a window from
# full screen.
size() {
  xwininfo -tree -id "$win" 2>/dev/null | awk '/^ +0x[0-9a-f]+ / { print $(NF - 1); exit }' | cut -d+ -f1
}
# shown SHOT: how many of 64 x 48 cells over the game's picture on SHOT (at
# the top left) are coloured.
shown() {
  "$E2E_CONVERT" "$E2E_DIR/$1" -crop "$(size)+0+0" +repage "$E2E_DIR/game-$1"
  e2e_colourful "$E2E_DIR/game-$1" 0 64 | cut -d' ' -f1
}
setting() { tr -d '\r' <"$file" | grep -qx "$1"; }
# written LINE: waits up to five seconds for the game to write LINE.
written() {
  local i
  for i in $(seq 1 50); do
    setting "$1" && return 0
    sleep 0.1
  done
  return 1
}
# start: the game up to its title in colour where it draws. Not e2e_launch's
# wait: that looks for the title at the right of the screen, and a window at
# the game's own size under Wine is at the top left.
start() {
  local i c=0
  game >"$E2E_DIR/game.log" 2>&1 &
  game_pid=$!
  win=$(e2e_window Vandrel 60) || fail "no window named Vandrel"
  for i in $(seq 1 300); do
    e2e_shot "$E2E_DIR/now.png"
    [[ -n $(size) ]] && c=$(shown now.png)
    ((c >= 1500)) && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
    sleep 0.2
  done
  ((c >= 1500)) || fail "the title never showed ($c coloured cells)"
  sleep 1
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
}
# stop: three Escapes from the title end the game, with exit code 0; the
# settings file must then hold what it held before.
stop() {
  local i
  for i in 1 2 3; do
    xdotool key Escape
    sleep 2
  done
  wait_exit
  wineserver -w
}

# --- First start: the file made, full screen as the data set says. ---
start
[[ -f $file ]] || fail "the first start made no settings file"
setting '# master_volume = 100 .*' || fail "the new file does not list the settings: $(cat "$file")"
e2e_shot "$E2E_DIR/1-first-start.png"
is_full_screen && [[ $(size) == 1024x768 ]] || fail "the first start is not full screen ($(size))"
coloured=$(shown 1-first-start.png)
((coloured >= 1500)) || fail "the full-screen title does not fill the screen ($coloured coloured cells)"
xdotool key alt+Return
for i in $(seq 1 100); do is_full_screen || break; sleep 0.05; done
is_full_screen && fail "Alt+Enter did not switch to the window"
for i in $(seq 1 100); do [[ $(size) == 640x480 ]] && break; sleep 0.05; done
[[ $(size) == 640x480 ]] || fail "Alt+Enter made a window of $(size)"
sleep 1
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
written 'fullscreen = no' || fail "the window was not kept: $(cat "$file")"
for i in 1 2 3; do xdotool key minus; done
written 'master_volume = 70' || fail "the level was not kept: $(cat "$file")"
e2e_shot "$E2E_DIR/2-window-70.png"
coloured=$(shown 2-window-70.png)
((coloured >= 1500)) || fail "the window does not show the title ($coloured coloured cells)"
stop
setting 'fullscreen = no' && setting 'master_volume = 70' || fail "the end of the game changed the file: $(cat "$file")"
echo "first start: full screen, Alt+Enter and three '-' kept in $where"

# --- Second start: in the window, from 70 %. ---
start
e2e_shot "$E2E_DIR/3-second-start.png"
is_full_screen && fail "the second start is not in the window"
[[ $(size) == 640x480 ]] || fail "the second start made a window of $(size)"
coloured=$(shown 3-second-start.png)
((coloured >= 1500)) || fail "the second start's window does not show the title ($coloured coloured cells)"
xdotool key KP_Subtract
written 'master_volume = 60' || fail "the second start did not go on from 70 %: $(cat "$file")"
e2e_shot "$E2E_DIR/4-second-60.png"
stop
echo "PASS: Wine: the window and the sound level kept across two starts in $where"
