#!/usr/bin/env bash
# The real game under a private X server for a long time, played at random:
# clicks and shots, reloads, scrolling by keys and by the pointer at the edges,
# names typed on the high-score screen, Alt+Enter every third round. After each
# round the game's resident memory, threads and open files are sampled; the game
# logs its frame times every ten seconds. At the end: first round, last round and
# peak of each, and a failure when memory, threads or files grew.
# Usage: soak.sh GAME_BARE ASSETGEN PACK OUTDIR [MINUTES] [ROUND_SECONDS]
set -uo pipefail
bare=$(realpath "$1") assetgen=$(realpath "$2") pack=$(realpath "$3")
E2E_DIR=$(realpath -m "${4:-$(mktemp -d)}")
minutes=${5:-1}
round_seconds=${6:-10}
mkdir -p "$E2E_DIR"
E2E_LOG_TAIL=20
source "$(dirname "$0")/xsession.sh"

for f in "$bare" "$assetgen" "$pack"; do [[ -x $f ]] || fail "$f is not built"; done

e2e_short_game "$bare" "$assetgen" "$pack" "$round_seconds"
game=$E2E_DIR/short/vandrel

# Under the sanitizers the resident memory is mostly their own (shadow memory,
# freed blocks held back to catch late uses); only threads and files count then.
sanitized=${ASAN_OPTIONS:+yes}
e2e_game_env
export VANDREL_FRAME_LOG="$E2E_DIR/frames.log"
rm -f "$VANDREL_FRAME_LOG"

e2e_start_x
"$game" >"$E2E_DIR/game.log" 2>&1 &
game_pid=$!
win=$(e2e_window Vandrel 30) || fail "no window named Vandrel"
wait_title
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true

# The screen is 1024 x 768; the game's picture fills it (full screen) or sits
# in its middle (a window); every point below is on the picture either way.
rnd() { echo $(($1 + RANDOM % ($2 - $1 + 1))); }
alive() { kill -0 "$game_pid" 2>/dev/null || fail "the game ended during round $round"; }
sample() {
  local rss threads fds
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$game_pid/status")
  threads=$(ls "/proc/$game_pid/task" | wc -l)
  fds=$(ls "/proc/$game_pid/fd" | wc -l)
  echo "$round $rss $threads $fds" >>"$E2E_DIR/samples.txt"
}
play_for() { # random play for $1 seconds
  local until=$(($(e2e_now_ms) + $1 * 1000)) r
  while (($(e2e_now_ms) < until)); do
    r=$((RANDOM % 10))
    if ((r < 6)); then
      xdotool mousemove "$(rnd 250 770)" "$(rnd 200 560)" click 1
    elif ((r == 6)); then
      xdotool click 3
    elif ((r == 7)); then
      xdotool keydown Left sleep 0.4 keyup Left
    elif ((r == 8)); then
      xdotool keydown Right sleep 0.4 keyup Right
    else
      xdotool mousemove "$( ((RANDOM % 2)) && echo 200 || echo 820)" 380 sleep 0.6 mousemove 512 380
    fi
    sleep 0.15
  done
}

rm -f "$E2E_DIR/samples.txt"
end=$(($(e2e_now_ms) + minutes * 60000))
round=0
while (($(e2e_now_ms) < end)); do
  round=$((round + 1))
  alive
  xdotool mousemove 512 380 click 1
  sleep 0.5
  xdotool click 1
  if ((round % 3 == 0)); then
    play_for $((round_seconds / 2))
    xdotool key alt+Return
    sleep 2
  else
    play_for $((round_seconds + 1))
    sleep 3.5 # the wipe
    xdotool type --delay 60 "R$round $(rnd 10 99)"
    xdotool key Return
    sleep 0.5
    xdotool key Return
    sleep 1
  fi
  alive
  sample
done

xdotool key Escape
sleep 0.5
xdotool key Escape
sleep 0.5
xdotool key Escape
sleep 0.5
xdotool key Escape
wait_exit

echo "rounds: $round in $minutes min; samples after each round (round rss_kB threads fds):"
cat "$E2E_DIR/samples.txt"
echo "frame times (every ten seconds):"
cat "$E2E_DIR/frames.log"
# First round, last round, peak.
read -r _ rss0 thr0 fd0 < <(head -n1 "$E2E_DIR/samples.txt")
read -r _ rss1 thr1 fd1 < <(tail -n1 "$E2E_DIR/samples.txt")
read -r rssmax thrmax fdmax < <(awk 'BEGIN { a = b = c = 0 } { if ($2 > a) a = $2; if ($3 > b) b = $3; if ($4 > c) c = $4 } END { print a, b, c }' "$E2E_DIR/samples.txt")
read -r mean0 max0 < <(awk 'NR == 2 { print $4, $7 }' "$E2E_DIR/frames.log")
read -r mean1 max1 < <(tail -n1 "$E2E_DIR/frames.log" | awk '{ print $4, $7 }')
read -r meanmax maxmax < <(awk 'NR > 1 { if ($4 > a) a = $4; if ($7 > b) b = $7 } END { print a, b }' "$E2E_DIR/frames.log")
printf '%-22s %12s %12s %12s\n' "" "first round" "last round" "peak" "resident kB" "$rss0" "$rss1" "$rssmax" \
  "threads" "$thr0" "$thr1" "$thrmax" "open files" "$fd0" "$fd1" "$fdmax" \
  "frame mean ms" "${mean0:-?}" "${mean1:-?}" "${meanmax:-?}" "frame max ms" "${max0:-?}" "${max1:-?}" "${maxmax:-?}" |
  tee "$E2E_DIR/summary.txt"
((thr1 <= thr0)) || fail "threads grew from $thr0 to $thr1"
((fd1 <= fd0)) || fail "open files grew from $fd0 to $fd1"
# Window and full screen hold buffers of different sizes, so the bound is the
# highest of the first six rounds, which have seen both modes; after them the
# memory must not keep growing.
base=$(head -n6 "$E2E_DIR/samples.txt" | awk '$2 > a { a = $2 } END { print a }')
if [[ -z $sanitized ]]; then
  ((rss1 <= base + 8192)) || fail "resident memory grew from $base kB to $rss1 kB"
fi
echo "PASS: $round rounds, memory, threads and open files steady"
