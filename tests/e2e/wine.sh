#!/usr/bin/env bash
# The Windows game end to end under Wine and a private X server, installed in a
# folder whose name has blanks and umlauts: the title in colour, a twelve-second
# round with shots at figures found in screenshots, a typed name, three Escapes
# to exit code 0; then the table in the registry, its check value recomputed
# here with md5sum, the name on a second start; last, a truncated Vandrel.exe
# that must show its title without crashing.
# Usage: wine.sh STRIPPED_EXE ASSETGEN PACK OUTDIR
set -uo pipefail
bare=$(realpath "$1") assetgen=$(realpath "$2") pack=$(realpath "$3")
E2E_DIR=$(realpath -m "$4")
rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
E2E_SCREEN=1024x768x24
source "$(dirname "$0")/xsession.sh"
src=$(cd "$(dirname "$0")/../.." && pwd)

game_pid=
cleanup() {
  [[ -n $game_pid ]] && { kill -CONT "$game_pid"; kill "$game_pid"; } 2>/dev/null
  e2e_stop_x
  wineserver -k 2>/dev/null
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [[ -f $E2E_DIR/game.log ]] && tail -20 "$E2E_DIR/game.log"
  exit 1
}
for f in "$bare" "$assetgen" "$pack"; do [[ -x $f || -f $f ]] || fail "$f is not built"; done
command -v wine >/dev/null || fail "wine is not installed (scripts/build-windows installs it)"

# A Wine prefix of this run's own; no audio device is configured, so the game
# must run silent.
source "$src/scripts/lib/common.sh"
wine_env "$E2E_DIR/wineprefix"
unset SDL_AUDIODRIVER SDL_VIDEODRIVER
wine wineboot -i >"$E2E_DIR/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$E2E_DIR/wineboot.log")"
wineserver -w

# --- The game with twelve-second rounds, in C:\Spiele\Jagd über dem Canyon ---
work=$E2E_DIR/short
mkdir -p "$work"
"$assetgen" "$work/entries" --round-minutes 0 --round-seconds 12 >"$work/assetgen.log" 2>&1 ||
  fail "assetgen: $(tail -3 "$work/assetgen.log")"
(cd "$work/entries" && "$pack" build "$work/short.zip" back.nb figur.xx cur.nl font.nl fonts.nl muni.nl stuff.x) \
  >/dev/null || fail "cannot pack the short-round data set"
folder="$WINEPREFIX/drive_c/Spiele/Jagd über dem Canyon"
mkdir -p "$folder"
game="$folder/Vandrel.exe"
"$pack" append "$bare" "$work/short.zip" "$game" >/dev/null || fail "cannot append the data set"
winpath='C:\Spiele\Jagd über dem Canyon\Vandrel.exe'

key=$(wine "$winpath" --where-scores 2>"$E2E_DIR/where.log" | tr -d '\r')
[[ $key == HKEY_*'\Software\Orvandel\'* ]] || fail "--where-scores gave '$key'"
table=${key##*\\}
echo "key: $key"

# The credits line, as the game shows it; part of every check value.
credits=$(sed -n '/creditsLine\[\] =/,/;$/p' "$src/src/data/Credits.h" |
  sed -n 's/^ *"\(.*\)";\{0,1\}$/\1/p' | tr -d '\n')
[[ -n $credits ]] || fail "credits line not found"
# check TEXT: the check value of a table text, as hex: MD5 of the prefix, the text,
# the credits line and the table name, each byte XOR 0xA7.
check() {
  local hex out= i
  hex=$(printf '%s%s%s%s' "silent harbor(s)" "$1" "$credits" "$table" | md5sum | cut -c1-32)
  for ((i = 0; i < 32; i += 2)); do out+=$(printf '%02x' $((0x${hex:i:2} ^ 0xa7))); done
  echo "$out"
}

# A stored table any hit beats, put into the player's own tree (Wine's user.reg,
# written while no wineserver runs), so the first start reads it from there.
wineserver -w
seed_text=$'Ada, 5\nBo, 1\n'
seed_check=$(check "$seed_text" | sed 's/../&,/g; s/,$//')
cat >>"$WINEPREFIX/user.reg" <<EOF

[Software\\\\Orvandel\\\\$table] 1765000000
"check"=hex:$seed_check
"highscore"="Ada, 5\\nBo, 1\\n"
EOF

e2e_start_x

# --- First game: title, round, table, name, exit with three Escapes. ---
started=$(e2e_now_ms)
e2e_launch "$E2E_DIR/game.log" 60 wine "$winpath"
echo "launch to title under Wine: $(($(e2e_now_ms) - started)) ms"
e2e_shot "$E2E_DIR/1-title.png"
read -r coloured lit < <(e2e_colourful "$E2E_DIR/1-title.png" 0 64)
((coloured >= 600 && lit >= 2000)) || fail "the title is not showing ($coloured coloured, $lit lit cells)"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

start_round 1-title.png 2-round.png 512 384 12
round_start=$(($(e2e_now_ms) - 1000))
shoot_round 9000 2
e2e_shot "$E2E_DIR/3-round-late.png"
wait_settled 40 || { e2e_shot "$E2E_DIR/4-unsettled.png"; fail "the screen never came to rest after the round"; }
e2e_shot "$E2E_DIR/4-highscores.png"
xdotool type --delay 120 "Tester"
xdotool key Return
sleep 0.5
e2e_shot "$E2E_DIR/5-named.png"
d=$(difference 4-highscores.png 5-named.png)
above "$d" 0.05 || fail "the typed name does not show"
xdotool click 1 # leave the table: the title again
sleep 1
for i in 1 2 3; do
  xdotool key Escape
  sleep 2
done
wait_exit
echo "first game: title, round, table, name, exit 0"

# --- The table in the registry, under the key the game names. ---
wineserver -w
key=$(wine "$winpath" --where-scores 2>/dev/null | tr -d '\r')
# A machine-wide table is kept in the registry's 32-bit view.
wine reg query "$key" /reg:32 >"$E2E_DIR/reg-query.txt" 2>&1 || fail "reg query $key failed"
grep -q 'highscore *REG_SZ' "$E2E_DIR/reg-query.txt" || fail "no REG_SZ highscore under $key"
grep -q 'check *REG_BINARY' "$E2E_DIR/reg-query.txt" || fail "no REG_BINARY check under $key"
wineserver -w
case $key in
HKEY_LOCAL_MACHINE*) hive=$WINEPREFIX/system.reg ;;
*) hive=$WINEPREFIX/user.reg ;;
esac
section="[${key#*\\}]"
[[ $key == HKEY_LOCAL_MACHINE* ]] && section="[Software\\Wow6432Node\\${key#*\\Software\\}]"
section=${section//\\/\\\\}
values=$(SECTION=$section awk 'index($0, ENVIRON["SECTION"]) == 1 { on = 1; next } /^\[/ { on = 0 } on' "$hive")
text=$(printf '%s\n' "$values" | sed -n 's/^"highscore"="\(.*\)"$/\1/p')
stored=$(printf '%s\n' "$values" | sed -n '/^"check"=hex:/{:a;/\\$/{N;ba};p}' | sed 's/^"check"=hex://' | tr -d ' \\,\n')
text=$(printf '%b' "$text"; printf x) # Wine writes line feeds as \n; x keeps the last one
text=${text%x}
[[ $text == *"Tester, "* ]] || fail "no row for the typed name in the stored text: '$text'"
want=$(check "$text")
[[ $stored == "$want" ]] || fail "stored check $stored, md5sum gives $want"
echo "registry: $key holds the name; its check value matches md5sum"

# --- A second start shows the name: the table screen as the first game left it. ---
e2e_launch "$E2E_DIR/game2.log" 60 wine "$winpath"
top() { "$E2E_CONVERT" "$E2E_DIR/$1" -crop 1024x620+0+0 +repage "$E2E_DIR/top-$1"; }
top 5-named.png
# Escape on the title shows the table. A new Wine window does not always have the
# keyboard at once, and a key that lands while the loading pass still runs under
# the title does nothing, so the key is pressed again while the title still
# shows (its figures keep the screen moving).
d=
for try in 1 2 3 4 5 6; do
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  xdotool key Escape
  wait_settled 12 || { d=; continue; }
  e2e_shot "$E2E_DIR/6-second-start.png"
  top 6-second-start.png
  d=$(difference top-5-named.png top-6-second-start.png)
  above "$d" 3 || break
done
[[ -n $d ]] || fail "the table never came to rest on the second start"
above "$d" 3 && fail "the second start shows another table (differs by $d after $try Escapes)"
xdotool key Escape
sleep 2
xdotool key Escape
wait_exit
echo "second start: the same table with the name; exit 0"

# --- A truncated Vandrel.exe: the image intact, its archive cut in half. ---
cut="$folder/Kaputt.exe"
size=$(stat -c %s "$game")
head -c $((size - $(stat -c %s "$work/short.zip") / 2)) "$game" >"$cut"
wine 'C:\Spiele\Jagd über dem Canyon\Kaputt.exe' >"$E2E_DIR/cut.log" 2>&1 &
game_pid=$!
e2e_window Vandrel 60 >/dev/null || fail "the truncated game shows no window"
sleep 5
kill -0 "$game_pid" 2>/dev/null || fail "the truncated game ended by itself"
e2e_shot "$E2E_DIR/7-truncated.png"
for i in 1 2 3; do
  xdotool key Escape
  sleep 2
done
wait_exit
echo "PASS: Wine: title, aimed round, name in the registry with a matching check, second start, truncated exe"
