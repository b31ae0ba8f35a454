#!/usr/bin/env bash
# The game on the screens people have, end to end under a private X server:
# full screen on a 1920 x 1080 desktop (bars left and right) and on a
# 1280 x 1024 one (bars above and below) with the pointer in the bars, and a
# window at scale 2 on 1920 x 1080. Every pointer position the game records
# lies inside its 640 x 480 frame, the cross-hair shows at the frame's edge
# while the pointer is in a bar, and in the scaled window shots hit where the
# cross-hair is. Screenshots stay in OUTDIR.
# Usage: widescreen.sh GAME OUTDIR
set -uo pipefail
source "$(dirname "$0")/xsession.sh"
e2e_one_game "$@"

e2e_game_env

# changed A B WxH+X+Y: how many pixels of that part of two screenshots differ.
changed() {
  compare -metric AE -fuzz 12% "$E2E_DIR/$1[$3]" "$E2E_DIR/$2[$3]" null: 2>&1 | cut -d' ' -f1
}
# brightest SHOT WxH+X+Y: the brightest channel value (0..255) in that part.
brightest() {
  "$E2E_CONVERT" "$E2E_DIR/$1" -crop "$2" +repage -format '%[fx:int(maxima*255)]' info: 2>/dev/null
}
# positions REC: every pointer position in a recording, "x y" per line.
positions() {
  awk '$1 == "m" && ($2 ~ /^mousemove$|^[lr]button(down|up|dblclk)$/) { split($4, p, ","); print p[1], p[2] }' "$1"
}
# check_positions REC WHAT: all recorded positions inside the frame.
check_positions() {
  local n outside
  read -r n outside < <(positions "$1" |
    awk '{ n++; if ($1 < 0 || $1 > 639 || $2 < 0 || $2 > 479) o++ } END { print n + 0, o + 0 }')
  ((n > 0)) || fail "$2: no pointer positions recorded"
  ((outside == 0)) || fail "$2: $outside of $n recorded positions lie outside the frame: $(positions "$1" |
    awk '$1 < 0 || $1 > 639 || $2 < 0 || $2 > 479' | head -n3 | tr '\n' ' ')"
  echo "$2: $n pointer positions recorded, all inside 640 x 480"
}
# recorded REC X Y: the recording holds the position X,Y.
recorded() { positions "$1" | grep -qx "$2 $3"; }
# start GAME-ARGS...: the game recording to $E2E_DIR/$tag.vrec, on the title.
start() {
  "$game" --record "$E2E_DIR/$tag.vrec" "$@" >"$E2E_DIR/game.log" 2>&1 &
  game_pid=$!
  win=$(e2e_window Vandrel 20) || fail "$tag: no window named Vandrel"
}
# leave: three Escapes and exit code 0; the recording replays as recorded.
leave() {
  xdotool key Escape
  sleep 1.5
  xdotool key Escape
  sleep 1
  xdotool key Escape
  wait_exit
  "$game" --replay "$E2E_DIR/$tag.vrec" >"$E2E_DIR/$tag-replay.txt" 2>&1 ||
    fail "$tag: the recording does not replay: $(tail -n3 "$E2E_DIR/$tag-replay.txt")"
}
# wait_picture X0 X1: until grid columns [X0, X1) show the title in colour.
wait_picture() {
  local i coloured
  for i in $(seq 1 300); do
    read -r coloured _ < <(e2e_cells_now | e2e_count_colourful "$1" "$2")
    ((coloured >= 150)) && { sleep 0.5; return 0; }
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
    sleep 0.1
  done
  fail "the title never showed"
}

# --- 16:9 full screen: the picture is 1440 x 1080 at x = 240, bars beside it. ---
E2E_SCREEN=1920x1080x24
e2e_start_x
tag=full-1920x1080
start --fullscreen
wait_picture 40 56
xdotool mousemove 1800 540
sleep 0.4
e2e_shot "$E2E_DIR/$tag-title-pointer-right-bar.png"
xdotool mousemove 100 540
sleep 0.4
e2e_shot "$E2E_DIR/$tag-title-pointer-left-bar.png"
# The cross-hair sits half inside at the edge on the pointer's side.
right=$(changed $tag-title-pointer-right-bar.png $tag-title-pointer-left-bar.png 50x80+1630+500)
left=$(changed $tag-title-pointer-right-bar.png $tag-title-pointer-left-bar.png 50x80+240+500)
((right > 150 && left > 150)) || fail "no cross-hair at the edges with the pointer in the bars ($right, $left pixels)"
for shot in right-bar left-bar; do
  for bar in 240x1080+0+0 240x1080+1680+0; do
    b=$(brightest "$tag-title-pointer-$shot.png" $bar)
    ((b < 16)) || fail "the bar $bar is not black with the pointer in the $shot (brightest $b)"
  done
done
# Corners and beyond; a round started and a shot fired from the right bar.
for p in "0 0" "1919 1079" "239 300" "1680 300"; do
  xdotool mousemove $p
  sleep 0.15
done
xdotool mousemove 1850 600 click 1
sleep 1
xdotool click 1
sleep 0.5
e2e_shot "$E2E_DIR/$tag-round-pointer-right-bar.png"
xdotool mousemove 960 540
sleep 0.3
leave
check_positions "$E2E_DIR/$tag.vrec" "$tag"
for p in "0 0" "639 479" "0 133" "639 133"; do
  recorded "$E2E_DIR/$tag.vrec" $p || fail "$tag: the bars did not bring the pointer to $p"
done
grep -Eq '^m lbuttondown [0-9]+ 639,266$' "$E2E_DIR/$tag.vrec" || fail "$tag: the click in the bar did not land at 639,266"
echo "$tag: cross-hair at both edges, bars black, a click in the bar at the frame's edge; the recording replays"

# --- Scale 2 in a window on the same desktop. The window manager keeps the
# window's own size here (as a dialog), as a desktop's window manager does. ---
e2e_stop_x
E2E_WM_OPTIONS="-use_dialog_mode free -force_dialogs Vandrel"
e2e_start_x
tag=window-scale-2
start --window --scale 2
wait_picture 20 44
read -r wx wy ww wh < <(xwininfo -id "$win" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
  /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }')
((ww == 1280 && wh == 960)) || fail "$tag: the window is ${ww}x$wh, not 1280x960"
echo "$tag: the client area is ${ww}x$wh at $wx,$wy"
# The cross-hair follows the pointer to the pixel: two places on the title.
xdotool mousemove $((wx + 300)) $((wy + 300))
sleep 0.4
e2e_shot "$E2E_DIR/$tag-title-a.png"
xdotool mousemove $((wx + 900)) $((wy + 600))
sleep 0.4
e2e_shot "$E2E_DIR/$tag-title-b.png"
centre() {
  # The middle of what changed around a place: the cross-hair drawn there.
  "$E2E_CONVERT" "$E2E_DIR/$tag-title-a.png" "$E2E_DIR/$tag-title-b.png" -compose difference -composite \
    -crop "120x120+$(($1 - 60))+$(($2 - 60))" +repage -colorspace gray -threshold 10% -format '%@' info: 2>/dev/null |
    awk -F'[x+]' -v x0=$(($1 - 60)) -v y0=$(($2 - 60)) '{ print int(x0 + $3 + $1 / 2), int(y0 + $4 + $2 / 2) }'
}
for p in "300 300" "900 600"; do
  read -r px py <<<"$p"
  read -r cx cy < <(centre $((wx + px)) $((wy + py)))
  dx=$((cx - wx - px)) dy=$((cy - wy - py))
  ((dx * dx <= 9 && dy * dy <= 9)) || fail "$tag: the cross-hair for $px,$py is centred at $((cx - wx)),$((cy - wy))"
done
# A round: figures found in screenshots are shot at; the recording's
# checkpoints tell afterwards whether any shot scored.
xdotool mousemove $((wx + 640)) $((wy + 480)) click 1
sleep 1.5
aimed=0
for i in $(seq 1 14); do
  xdotool mousemove $((wx + 640)) $((wy + 480))
  e2e_shot "$E2E_DIR/look-a.png"
  sleep 0.05
  kill -STOP "$game_pid"
  e2e_shot "$E2E_DIR/look-b.png"
  read -r fx fy < <("$E2E_CONVERT" "$E2E_DIR/look-a.png" "$E2E_DIR/look-b.png" \
    -crop "1280x780+$wx+$((wy + 80))" +repage -compose difference -composite -colorspace gray -threshold 8% \
    -define connected-components:verbose=true -define connected-components:area-threshold=30 \
    -connected-components 8 null: 2>/dev/null |
    awk -F'[ x+,:]+' '$NF == "gray(255)" { print $9, int($7), int($8) }' | sort -rn | head -n1 | cut -d' ' -f2-)
  if [[ -n ${fx:-} ]]; then
    xdotool mousemove $((wx + fx)) $((wy + 80 + fy)) click 1
    aimed=$((aimed + 1))
    [[ -f $E2E_DIR/$tag-round-shot.png ]] || { sleep 0.05; kill -CONT "$game_pid"; sleep 0.1; e2e_shot "$E2E_DIR/$tag-round-shot.png"; }
  else
    xdotool click 1
  fi
  sleep 0.05
  kill -CONT "$game_pid"
  sleep 0.25
  ((i % 9 == 0)) && xdotool click 3
done
((aimed >= 3)) || fail "$tag: hardly any figure was found in the screenshots ($aimed)"
# With the button held the pointer leaves the window; the game hears of the
# frame's edge.
xdotool mousemove $((wx + 640)) $((wy + 480)) mousedown 1
sleep 0.2
xdotool mousemove 5 5
sleep 0.2
xdotool mousemove 1915 1075
sleep 0.2
xdotool mouseup 1
sleep 0.2
leave
check_positions "$E2E_DIR/$tag.vrec" "$tag"
recorded "$E2E_DIR/$tag.vrec" 150 150 || fail "$tag: 300,300 in the window was not 150,150 in the frame"
score=$(awk '$1 == "c" && $4 > m { m = $4 } END { print m + 0 }' "$E2E_DIR/$tag.vrec")
((score > 0)) || fail "$tag: none of $aimed shots at figures seen on the screen scored"
echo "$tag: $aimed shots at figures seen on the screen scored $score"
grep -Eq '^m mousemove [0-9]+ 0,0$' "$E2E_DIR/$tag.vrec" && grep -Eq '^m mousemove [0-9]+ 639,479$' "$E2E_DIR/$tag.vrec" ||
  fail "$tag: dragged out of the window, the pointer did not stop at the frame's corners"
rm -f "$E2E_DIR"/look-*.png

# --- 5:4 full screen: the picture is 1280 x 960 at y = 32, bars above and below. ---
e2e_stop_x
E2E_WM_OPTIONS=
E2E_SCREEN=1280x1024x24
e2e_start_x
tag=full-1280x1024
start --fullscreen
wait_picture 40 64
xdotool mousemove 640 5
sleep 0.4
e2e_shot "$E2E_DIR/$tag-title-pointer-top-bar.png"
xdotool mousemove 640 1020
sleep 0.4
e2e_shot "$E2E_DIR/$tag-title-pointer-bottom-bar.png"
top=$(changed $tag-title-pointer-top-bar.png $tag-title-pointer-bottom-bar.png 80x40+600+32)
bottom=$(changed $tag-title-pointer-top-bar.png $tag-title-pointer-bottom-bar.png 80x40+600+952)
((top > 150 && bottom > 150)) || fail "no cross-hair at the top and bottom edges ($top, $bottom pixels)"
for bar in 1280x32+0+0 1280x32+0+992; do
  b=$(brightest "$tag-title-pointer-top-bar.png" $bar)
  ((b < 16)) || fail "the bar $bar is not black (brightest $b)"
done
xdotool mousemove 0 0
sleep 0.15
xdotool mousemove 1279 1023
sleep 0.15
xdotool mousemove 640 1010 click 1
sleep 1
xdotool click 1
sleep 0.3
leave
check_positions "$E2E_DIR/$tag.vrec" "$tag"
for p in "320 0" "320 479" "0 0" "639 479"; do
  recorded "$E2E_DIR/$tag.vrec" $p || fail "$tag: the bars did not bring the pointer to $p"
done
echo "PASS: pointer in the bars of 16:9 and 5:4 full screens stays in the frame, cross-hair at the edges; scale-2 window 1280x960 with aimed hits"
