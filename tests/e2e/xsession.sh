# Shared pieces of the end-to-end tests: a private X server with a window
# manager, screenshots and pixel probes, and the start every script shares.
# Set E2E_DIR, then source it; call e2e_start_x before the game. Every process
# started here is ended by its own pid in e2e_stop_x.

e2e_pids=()

# The game the script started in the background, once it has one.
game_pid=
# fail TEXT: the script fails with TEXT and the game's log (its last
# E2E_LOG_TAIL lines where that is set).
fail() {
  echo "FAIL: $*"
  if [[ -f $E2E_DIR/game.log ]]; then
    if [[ -n ${E2E_LOG_TAIL:-} ]]; then tail -n "$E2E_LOG_TAIL" "$E2E_DIR/game.log"; else cat "$E2E_DIR/game.log"; fi
  fi
  exit 1
}
# On the way out, however the script ends: the game (woken first, in case a
# find_figure held it; E2E_GAME_SIGNAL, TERM unless set), then the X server. A
# script with more to undo defines e2e_cleanup_more, which runs last.
e2e_cleanup() {
  [[ -n $game_pid ]] && { kill -CONT "$game_pid"; kill -"${E2E_GAME_SIGNAL:-TERM}" "$game_pid"; } 2>/dev/null
  e2e_stop_x
  if declare -F e2e_cleanup_more >/dev/null; then e2e_cleanup_more; fi
}
trap e2e_cleanup EXIT

# e2e_one_game GAME [OUTDIR]: for a script that plays one built game: game is
# its full path, E2E_DIR is OUTDIR (made if need be) or a new temporary folder.
# Fails when the game is not built.
e2e_one_game() {
  game=$(realpath "$1")
  E2E_DIR=$(realpath -m "${2:-$(mktemp -d)}")
  mkdir -p "$E2E_DIR"
  [[ -x $game ]] || fail "$game is not built"
}

# e2e_game_env: the game keeps its tables under E2E_DIR (emptied first) and
# never in the player's; no sound card; no leak report at exit, since X11 and
# the GL driver keep memory until then (the unit tests check our own leaks).
e2e_game_env() {
  export XDG_DATA_HOME="$E2E_DIR/data"
  export VANDREL_MACHINE_STORE="$E2E_DIR/no-machine-store"
  # Settings of the run's own, never the player's; a file already there, so
  # no first start's hint covers the title.
  export XDG_CONFIG_HOME="$E2E_DIR/config"
  export SDL_AUDIODRIVER=dummy
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  rm -rf "$XDG_DATA_HOME" "$VANDREL_MACHINE_STORE" "$XDG_CONFIG_HOME"
  mkdir -p "$XDG_CONFIG_HOME/vandrel" && : >"$XDG_CONFIG_HOME/vandrel/vandrel.ini"
}

# e2e_short_game BARE ASSETGEN PACK SECONDS: our data set made again with
# rounds of SECONDS seconds and appended to the bare game, as $E2E_DIR/short/vandrel.
e2e_short_game() {
  local work=$E2E_DIR/short
  rm -rf "$work" && mkdir -p "$work"
  "$2" "$work/entries" --round-minutes 0 --round-seconds "$4" >"$work/assetgen.log" 2>&1 ||
    fail "assetgen: $(tail -3 "$work/assetgen.log")"
  (cd "$work/entries" && "$3" build "$work/short.zip" back.nb figur.xx cur.nl font.nl fonts.nl muni.nl stuff.x) \
    >/dev/null || fail "cannot pack the short-round data set"
  "$3" append "$1" "$work/short.zip" "$work/vandrel" >/dev/null || fail "cannot append the data set"
}

# e2e_credits_line: the credits line as the game shows it, from the source.
e2e_credits_line() {
  sed -n '/creditsLine\[\] =/,/;$/p' "$(dirname "${BASH_SOURCE[0]}")/../../src/data/Credits.h" |
    sed -n 's/^ *"\(.*\)";\{0,1\}$/\1/p' | tr -d '\n'
}

# e2e_check_hex FILE TABLE: the check value the game keeps beside the table text
# in FILE (its terminating zero left out) stored under TABLE, as 32 hex digits:
# MD5 of a fixed prefix, the text, the credits line and the table name, each
# byte XOR 0xA7.
e2e_check_hex() {
  local credits hex i out=
  credits=$(e2e_credits_line)
  hex=$({ printf '%s' "silent harbor(s)"; head -c -1 "$1"; printf '%s%s' "$credits" "$2"; } | md5sum | cut -c1-32)
  for ((i = 0; i < 32; i += 2)); do out+=$(printf '%02x' $((0x${hex:i:2} ^ 0xa7))); done
  echo "$out"
}
# e2e_store_check FILE TABLE: writes that check value as the game does, into
# check.REG_BINARY beside FILE.
e2e_store_check() {
  local hex
  hex=$(e2e_check_hex "$1" "$2")
  [[ ${#hex} == 32 ]] || fail "no check value for $1"
  printf "$(sed 's/../\\x&/g' <<<"$hex")" >"$(dirname "$1")/check.REG_BINARY"
}

# Exits 77 (skipped) when there is no Xvfb at all; fails when it is there
# but does not come up.
e2e_start_x() {
  local missing=()
  for tool in Xvfb matchbox-window-manager xdotool import xprop; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
  done
  if ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed (scripts/install-deps installs it)"
    exit 77
  fi
  if ((${#missing[@]})); then
    echo "FAIL: missing ${missing[*]} (scripts/install-deps installs them)"
    exit 1
  fi
  E2E_CONVERT=/usr/bin/convert
  [[ -x $E2E_CONVERT ]] || E2E_CONVERT=convert
  local n
  unset DISPLAY
  # E2E_DISPLAYS names the numbers to try (a shared machine hands each user its own).
  for n in ${E2E_DISPLAYS:-$(seq 91 140)}; do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    # -noreset: without a window manager the game may be the only client, and a
    # server that starts over when it leaves would refuse the next one a while.
    Xvfb ":$n" -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -noreset >"$E2E_DIR/xvfb.log" 2>&1 &
    e2e_pids+=($!)
    local i
    for i in $(seq 1 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    if [[ -e /tmp/.X11-unix/X$n ]] && kill -0 "${e2e_pids[-1]}" 2>/dev/null; then
      export DISPLAY=":$n"
      break
    fi
    kill "${e2e_pids[-1]}" 2>/dev/null || true
    unset 'e2e_pids[-1]'
  done
  if [[ -z ${DISPLAY:-} ]]; then
    echo "FAIL: Xvfb did not start"; cat "$E2E_DIR/xvfb.log"; exit 1
  fi
  # Desktop full screen needs a window manager.
  # shellcheck disable=SC2086 # E2E_WM_OPTIONS: extra words for the window manager
  matchbox-window-manager -use_titlebar no ${E2E_WM_OPTIONS:-} >"$E2E_DIR/wm.log" 2>&1 &
  e2e_pids+=($!)
  sleep 0.5
}

e2e_stop_x() {
  local p
  for ((p = ${#e2e_pids[@]} - 1; p >= 0; p--)); do
    kill "${e2e_pids[p]}" 2>/dev/null || true
  done
  for p in "${e2e_pids[@]}"; do wait "$p" 2>/dev/null || true; done
  e2e_pids=()
}

# e2e_shot FILE: the whole screen as PNG.
e2e_shot() { import -window root "$1" 2>/dev/null; }

# e2e_grid FILE COLS ROWS: prints "x y r g b" for each cell of a COLS x ROWS
# grid of block averages over the picture.
e2e_grid() {
  "$E2E_CONVERT" "$1" -resize "$2x$3!" -depth 8 txt:- 2>/dev/null |
    awk -F'[ ,:()]+' 'NR > 1 { print $1, $2, int($4), int($5), int($6) }'
}

# e2e_cells_now: the screen as it is now, as 64 x 48 grid cells "x y r g b";
# cheaper than a screenshot file, for polling.
e2e_cells_now() {
  import -window root -resize '64x48!' -depth 8 txt:- 2>/dev/null |
    awk -F'[ ,:()]+' 'NR > 1 { print $1, $2, int($4), int($5), int($6) }'
}

# e2e_column_colourful X: how many pixels of the screen's column X are clearly
# coloured, at full resolution.
e2e_column_colourful() {
  local h=${E2E_SCREEN:-1024x768x24}
  h=${h#*x}; h=${h%%x*}
  import -window root -crop "1x${h}+$1+0" -depth 8 txt:- 2>/dev/null |
    awk -F'[ ,:()]+' 'NR > 1 {
      r = int($4); g = int($5); b = int($6)
      mx = r; mn = r
      if (g > mx) mx = g; if (b > mx) mx = b
      if (g < mn) mn = g; if (b < mn) mn = b
      if (mx - mn > 24) c++
    }
    END { print c + 0 }'
}

# e2e_count_colourful X0 X1 < cells: as e2e_colourful, on cells from stdin.
e2e_count_colourful() {
  awk -v a="$1" -v b="$2" '
    $1 >= a && $1 < b {
      mx = $3; mn = $3
      if ($4 > mx) mx = $4; if ($5 > mx) mx = $5
      if ($4 < mn) mn = $4; if ($5 < mn) mn = $5
      if (mx - mn > 24) c++
      if (mx > 16) lit++
    }
    END { print c + 0, lit + 0 }'
}

# e2e_colourful FILE X0 X1: how many of the 64 x 48 grid cells with column in
# [X0, X1) are clearly coloured (channels more than 24 apart), and how many
# are not black.
e2e_colourful() {
  e2e_grid "$1" 64 48 | e2e_count_colourful "$2" "$3"
}

# e2e_window NAME [TIMEOUT_S]: the id of the first visible window so named.
e2e_window() {
  local i id
  for i in $(seq 1 $((${2:-10} * 10))); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# e2e_now_ms: wall clock in milliseconds.
e2e_now_ms() { date +%s%3N; }

# The two waits below expect the calling script's game_pid (the game started in
# the background) and its fail function.

# wait_title: until the title's right-hand side is in full colour.
wait_title() {
  local i right
  for i in $(seq 1 300); do
    read -r right _ < <(e2e_cells_now | e2e_count_colourful 48 64)
    ((right >= 40)) && return 0
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
    sleep 0.1
  done
  fail "the title never reached full colour"
}

# wait_exit: until the game has ended, which must be with exit code 0.
wait_exit() {
  local i code=
  for i in $(seq 1 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      wait "$game_pid"
      code=$?
      break
    fi
    sleep 0.1
  done
  [[ -n $code ]] || fail "the game did not end"
  game_pid=
  ((code == 0)) || fail "exit code $code"
}

# The helpers below expect E2E_DIR, game_pid and a fail function too.

# Mean difference of two pictures, 0..255.
difference() {
  "$E2E_CONVERT" "$E2E_DIR/$1" "$E2E_DIR/$2" -compose difference -composite -colorspace gray \
    -format '%[fx:mean*255]' info: 2>/dev/null
}
above() { awk -v v="${1:-0}" -v t="$2" 'BEGIN { exit !(v > t) }'; }
# start_round TITLE_SHOT ROUND_SHOT X Y LIMIT: click on the title until the round
# shows. A click that lands while the last loading frame is still up (the title
# in full colour, but the loading pass not yet finished) starts nothing.
start_round() {
  local i d=0
  for i in 1 2 3 4 5; do
    xdotool mousemove "$3" "$4" click 1
    sleep 1
    e2e_shot "$E2E_DIR/$2"
    d=$(difference "$1" "$2")
    above "$d" "$5" && return 0
  done
  fail "the round does not show (differs from the title by $d)"
}

# wait_settled TIMEOUT_S: until the screen has stayed as it was for two seconds,
# but for a few grid cells (the blinking cursor and new score). The table's opening
# wipe can stand still for a moment on a busy machine, so a short look is not enough
# to tell that it has ended.
wait_settled() {
  local end=$(($(e2e_now_ms) + $1 * 1000)) a b still=0
  a=$(e2e_cells_now)
  while (($(e2e_now_ms) < end)); do
    sleep 0.25
    b=$(e2e_cells_now)
    if paste <(echo "$a") <(echo "$b") | awk '
      { d = ($3 > $8 ? $3 - $8 : $8 - $3) + ($4 > $9 ? $4 - $9 : $9 - $4) + ($5 > $10 ? $5 - $10 : $10 - $5)
        if (d > 30) n++ }
      END { exit !(n <= 40) }'; then
      ((++still >= 8)) && return 0
    else
      still=0 a=$b # compared with where the screen stopped, so a slow drift shows too
    fi
  done
  return 1
}

# wait_still TIMEOUT_S: until two looks at the screen a moment apart agree
# (nothing but a blinking cursor moves).
wait_still() {
  local i a b
  a=$(e2e_cells_now)
  for i in $(seq 1 $(($1 * 3))); do
    sleep 0.3
    b=$(e2e_cells_now)
    paste <(echo "$a") <(echo "$b") | awk '
      { d += ($3 > $8 ? $3 - $8 : $8 - $3) + ($4 > $9 ? $4 - $9 : $9 - $4) + ($5 > $10 ? $5 - $10 : $10 - $5) }
      END { exit !(d < 200) }' && return 0
    a=$b
  done
  return 1
}

# Figures move, the landscape stands still while the mouse is in the middle:
# what changed between two screenshots (away from the clock, the score and the
# cartridge row) is a figure. Prints "x y" of the biggest change, or nothing.
# The game is held still from the second screenshot until the shot is fired:
# a shot is tested against the frame last drawn, the one in the screenshot.
find_figure() {
  import -window root "$E2E_DIR/look-a.ppm" 2>/dev/null
  sleep 0.05
  kill -STOP "$game_pid"
  import -window root "$E2E_DIR/look-b.ppm" 2>/dev/null
  "$E2E_CONVERT" "$E2E_DIR/look-a.ppm" "$E2E_DIR/look-b.ppm" -sample 50% -compose difference -composite \
    -colorspace gray -threshold 8% \
    -define connected-components:verbose=true -define connected-components:area-threshold=8 \
    -connected-components 8 null: 2>/dev/null |
    awk -F'[ x+,:]+' '$NF == "gray(255)" {
      x = $7 * 2; y = $8 * 2
      if (y > 70 && !(x > 560 && y > 660)) print $9, int(x), int(y)
    }' | sort -rn | head -n1 | cut -d' ' -f2-
}

# e2e_launch LOG TIMEOUT_S CMD...: starts the game in the background (its output
# into LOG), waits for its window (the id in win) and for the title in full colour.
e2e_launch() {
  local log=$1 timeout=$2
  shift 2
  "$@" >"$log" 2>&1 &
  game_pid=$!
  win=$(e2e_window Vandrel "$timeout") || fail "no window named Vandrel from $*"
  wait_title
}

# shoot_round MS MIN_AIMED [FIRST_SHOT]: plays the round for MS milliseconds from
# its start (round_start, e2e_now_ms's clock): aims at a figure found in two
# screenshots or else shoots into the middle, reloads every ten shots. Fails
# when fewer than MIN_AIMED shots were aimed; FIRST_SHOT names a screenshot
# taken just after the first aimed one.
shoot_round() {
  local ms=$1 min=$2 first=${3:-} x y
  shots=0 aimed=0
  while (($(e2e_now_ms) - round_start < ms)); do
    xdotool mousemove 512 384
    read -r x y < <(find_figure)
    if [[ -n ${x:-} ]]; then
      xdotool mousemove "$x" "$y" click 1
      aimed=$((aimed + 1))
    else
      xdotool click 1 # a miss into the middle
    fi
    sleep 0.05
    kill -CONT "$game_pid"
    [[ -n $first && $aimed == 1 && ! -f $first ]] && { sleep 0.1; e2e_shot "$first"; }
    shots=$((shots + 1))
    ((shots % 10 == 0)) && xdotool click 3 # the magazine is empty: reload
    sleep 0.15
  done
  echo "round: $shots shots, $aimed at figures found on the screen"
  ((aimed >= min)) || fail "hardly any figure was found in the screenshots ($aimed)"
}
