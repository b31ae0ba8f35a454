#!/usr/bin/env bash
# The game's sound as it leaves the mixer, caught with SDL's disk audio driver
# under a private X server: the title's music, then a round with twelve shots
# fired one a second over it; the last 17.5 s are measured. Counts the samples at full scale
# (a clipped sum) and measures the music's level; fails when any sample is
# clipped. With a second game (an older build), measures it the same way and
# prints both, and the music's level difference in dB.
# Usage: mix.sh GAME OUTDIR [OLDER_GAME]
set -uo pipefail
older=${3:+$(realpath "$3")}
source "$(dirname "$0")/xsession.sh"
e2e_one_game "$1" "${2:-}"
command -v python3 >/dev/null || { echo "SKIP: no python3"; exit 77; }

e2e_start_x

# scene GAME NAME: plays the scene and leaves NAME.raw (mono, 16-bit, 44.1 kHz).
scene() {
  e2e_game_env
  e2e_launch "$E2E_DIR/game.log" 20 env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_DIR/$2.raw" "$1" --window
  xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
  sleep 2.5
  e2e_shot "$E2E_DIR/$2-title.png"
  start_round "$2-title.png" "$2-round.png" 320 240 12
  local shot
  for shot in $(seq 1 12); do
    xdotool mousemove $((100 + shot * 30)) 300 click 1
    ((shot == 6)) && xdotool click 3 # the magazine full again
    sleep 1
  done
  kill "$game_pid" 2>/dev/null
  wait "$game_pid" 2>/dev/null
  game_pid=
}

# measure NAME: clipped samples, peak and levels of the first 17.5 s of sound.
measure() {
  python3 - "$E2E_DIR/$1.raw" <<'EOF'
import array, math, sys
a = array.array('h', open(sys.argv[1], 'rb').read())
start = next((i for i, v in enumerate(a) if v), len(a))
# The music alone: its first three seconds, on the title before any shot.
music = a[start:start + 3 * 44100]
# The scene: the last 17.5 s, the title's last seconds and the round's shots.
scene = a[max(start, len(a) - int(17.5 * 44100)):]
if len(scene) < 17 * 44100:
    sys.exit("only %.1f s of sound" % (len(scene) / 44100))
def rms(s):
    return 20 * math.log10(math.sqrt(sum(v * v for v in s) / len(s)) / 32768) if s else float('-inf')
clipped = sum(1 for v in scene if v in (32767, -32768))
print(clipped, max(abs(v) for v in scene), "%.2f" % rms(music), "%.2f" % rms(scene))
EOF
}

scene "$game" now
read -r clipped peak music all < <(measure now) || fail "no sound was written"
echo "this game:  $clipped clipped samples, peak $peak, music $music dBFS, all $all dBFS"
if [[ -n $older ]]; then
  scene "$older" before
  read -r oclipped opeak omusic oall < <(measure before) || fail "the older game wrote no sound"
  echo "older game: $oclipped clipped samples, peak $opeak, music $omusic dBFS, all $oall dBFS"
  echo "music level difference: $(awk -v a="$music" -v b="$omusic" 'BEGIN { printf "%.2f", a - b }') dB"
  python3 - "$E2E_DIR/now.raw" "$E2E_DIR/before.raw" <<'EOF'
import array, sys
def music(name):
    a = array.array('h', open(name, 'rb').read())
    start = next((i for i, v in enumerate(a) if v), len(a))
    return a[start:start + 3 * 44100]
a, b = music(sys.argv[1]), music(sys.argv[2])
same = sum(1 for x, y in zip(a, b) if x == y)
print("music alone, first 3 s: %d of %d samples the same" % (same, min(len(a), len(b))))
EOF
fi
((clipped == 0)) || fail "$clipped samples at full scale"
echo "PASS"
