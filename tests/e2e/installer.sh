#!/usr/bin/env bash
# The Windows installer under Wine, as a player's machine sees it: a silent
# install for the player alone; the one Start-menu shortcut starts the installed
# game to its title in colour; the uninstall entry under HKEY_CURRENT_USER with its
# values; a second silent install over the first (an upgrade) keeps the score
# table and the settings; a silent uninstall removes the folder, the shortcut and
# the entry and leaves both; then an install into a folder given with /D=, and
# one for all users.
# Usage: installer.sh SETUP_EXE ZIP VERSION OUTDIR
set -uo pipefail
setup=$(realpath "$1") zip=$(realpath "$2") version=$3
E2E_DIR=$(realpath -m "$4")
rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
E2E_SCREEN=1024x768x24
source "$(dirname "$0")/xsession.sh"

game_pid=
cleanup() {
  [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  e2e_stop_x
}
trap cleanup EXIT
for f in "$setup" "$zip"; do [[ -f $f ]] || fail "$f is not built"; done
command -v wine >/dev/null || fail "wine is not installed (scripts/build-windows installs it)"

source "$(dirname "$0")/../../scripts/lib/common.sh"
wine_env "$E2E_DIR/wineprefix"
unset SDL_AUDIODRIVER SDL_VIDEODRIVER
wine wineboot -i >"$E2E_DIR/wineboot.log" 2>&1 || fail "wineboot: $(tail -3 "$E2E_DIR/wineboot.log")"
wineserver -w

# unix WINDOWS_PATH: where a Windows path of the prefix is on this machine.
unix() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# folder NAME: a folder the system names (%LOCALAPPDATA% and the like).
folder() { wine cmd /c "echo %$1%" 2>/dev/null | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel'
# value NAME: one value of the uninstall entry, as "TYPE DATA".
value() {
  wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v n="$1" '$1 == n { t = $2; $1 = ""; $2 = ""; sub(/^ +/, ""); print t, $0 }'
}
install() {
  wine "$setup" /S "$@" >>"$E2E_DIR/setup.log" 2>&1 || fail "the installer failed ($*)"
  wineserver -w
}

programs=$(folder LOCALAPPDATA)'\Programs\Vandrel'
target=$(unix "$programs")
menu=$(unix "$(folder APPDATA)"'\Microsoft\Windows\Start Menu\Programs')
[[ -n $target && -n $menu ]] || fail "Wine names no LOCALAPPDATA or APPDATA"

# --- A silent install: every file of the zip, in the player's own programs folder. ---
started=$(e2e_now_ms)
install
echo "silent install: $(($(e2e_now_ms) - started)) ms"
[[ -d $target ]] || fail "nothing in $programs"
mkdir -p "$E2E_DIR/zip" && (cd "$E2E_DIR/zip" && python3 -m zipfile -e "$zip" .)
unpacked=$(find "$E2E_DIR/zip" -mindepth 1 -maxdepth 1 -type d)
(cd "$unpacked" && find . -type f -exec sha256sum {} + | sort -k2) >"$E2E_DIR/zip.sums"
(cd "$target" && find . -type f ! -name Uninstall.exe -exec sha256sum {} + | sort -k2) >"$E2E_DIR/installed.sums"
diff -u "$E2E_DIR/zip.sums" "$E2E_DIR/installed.sums" || fail "the installed files are not the zip's"
[[ -f $target/Uninstall.exe ]] || fail "no Uninstall.exe"
for f in README.txt making-galleries.txt LICENSE.txt licences/vandrel.txt galleries/hafen.zip; do
  [[ -s $target/$f ]] || fail "no $f installed"
done
grep -q 'Bitstream Vera' "$target/licences/vandrel.txt" || fail "the font's notice is not installed"
echo "installed: $(wc -l <"$E2E_DIR/zip.sums") files, the zip's, and the uninstaller"

# --- Started from a command prompt with its output sent into a file, the game's
# answers go into the file and its complaints still to the prompt's console. ---
exe="$programs\\Vandrel.exe"
wine cmd /c "$exe --version > $(winepath -w "$E2E_DIR/version.txt")" 2>"$E2E_DIR/version.err"
grep -q "^vandrel $version " "$E2E_DIR/version.txt" || fail "--version wrote '$(cat "$E2E_DIR/version.txt")' into the file"
wine cmd /c "$exe --no-such-option > $(winepath -w "$E2E_DIR/wrong.txt")" 2>"$E2E_DIR/wrong.err"
grep -q -- "--no-such-option" "$E2E_DIR/wrong.err" || fail "the wrong option's complaint did not reach the console"
[[ ! -s $E2E_DIR/wrong.txt ]] || fail "the complaint went into the file: $(cat "$E2E_DIR/wrong.txt")"
echo "console: --version into the redirected file, a wrong option's complaint onto the console"

# --- The one shortcut, its target, and the game it starts. ---
mapfile -t links < <(find "$menu" -iname '*vandrel*' -o -iname '*uninstall*' | sort)
[[ ${#links[@]} -eq 1 && ${links[0]} == "$menu/Vandrel.lnk" ]] || fail "Start menu holds: ${links[*]:-nothing}"
lnk_target=$(strings -n 8 "${links[0]}" | grep -i -m1 '^[a-z]:.*\\vandrel\.exe$')
[[ ${lnk_target,,} == "${programs,,}\\vandrel.exe" ]] || fail "the shortcut points at '$lnk_target'"
[[ -f $(unix "$lnk_target") ]] || fail "the shortcut's target $lnk_target does not exist"
echo "shortcut: $lnk_target"

# A Wine server started before the X server (by the checks above) keeps its
# display-less desktop for a few seconds after its last program, and a game started
# into it gets no window: wait for it to end first.
wineserver -w
e2e_start_x
# The shortcut's own target is started, as Explorer starts it (Wine's start, given
# the .lnk, goes through its shell's window first, which needs the same care).
e2e_launch "$E2E_DIR/game.log" 60 wine "$lnk_target"
e2e_shot "$E2E_DIR/title.png"
read -r coloured lit < <(e2e_colourful "$E2E_DIR/title.png" 0 64)
((coloured >= 600 && lit >= 2000)) || fail "the title is not showing ($coloured coloured, $lit lit cells)"
echo "the shortcut starts the game: title in colour ($coloured coloured cells)"
# The game's own Wine prefix: ending its server ends the game and nothing else.
wineserver -k
{ wait "$game_pid"; } 2>/dev/null
game_pid=
wineserver -w

# --- The uninstall entry. ---
want() { # want NAME "TYPE DATA"
  local got
  got=$(value "$1")
  [[ $got == "$2" ]] || fail "uninstall entry: $1 is '$got', not '$2'"
}
want DisplayName "REG_SZ Vandrel"
want DisplayVersion "REG_SZ $version"
want Publisher "REG_SZ The Vandrel developers"
want DisplayIcon "REG_SZ \"$programs\\Vandrel.exe\",0"
want InstallLocation "REG_SZ $programs"
want UninstallString "REG_SZ \"$programs\\Uninstall.exe\" /CurrentUser"
size=$(($(value EstimatedSize | awk '{ print $2 }')))
actual=$(du -sk --apparent-size "$target" | cut -f1)
((size > 0 && size >= actual * 9 / 10 && size <= actual * 11 / 10 + 4)) ||
  fail "EstimatedSize is $size KiB; the folder holds $actual KiB"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel' >/dev/null 2>&1 &&
  fail "a per-user install wrote an entry for all users"
echo "uninstall entry: name, version $version, publisher, icon, location, $size KiB, uninstall string"

# --- A score table and settings, then an upgrade: both stay. ---
key=$(wine "$programs\\Vandrel.exe" --where-scores 2>/dev/null | tr -d '\r')
[[ $key == HKEY_*'\Software\Orvandel\'* ]] || fail "--where-scores gave '$key'"
wine reg add "$key" /v highscore /t REG_SZ /d 'Planted, 4711' /f >/dev/null 2>&1 || fail "cannot plant a table"
settings=$(unix "$(folder APPDATA)"'\Vandrel')
mkdir -p "$settings" && printf 'fullscreen = no\r\n' >"$settings/vandrel.ini"
echo "a player's own file" >"$target/notes.txt"
wineserver -w
table() { wine reg query "$key" /v highscore 2>/dev/null | tr -d '\r' | grep -c 'Planted, 4711'; }
install
[[ $(table) == 1 ]] || fail "the upgrade lost the score table under $key"
[[ -f $settings/vandrel.ini ]] || fail "the upgrade lost the settings"
[[ -f $target/Vandrel.exe && -f $target/notes.txt ]] || fail "the upgrade left the folder incomplete"
want DisplayVersion "REG_SZ $version"
echo "upgrade: the table under $key, the settings and the player's file are kept"

# --- A silent uninstall with the entry's own command. ---
uninstaller=$(value UninstallString | sed 's/^REG_SZ "\(.*\)".*/\1/')
wine "$uninstaller" /S >>"$E2E_DIR/setup.log" 2>&1 || fail "the uninstaller failed"
wineserver -w
[[ -f $target/notes.txt ]] || fail "the uninstaller removed a file it had not installed"
left=$(cd "$target" && find . -mindepth 1 ! -name notes.txt | sort)
[[ -z $left ]] || fail "the uninstaller left: $left"
rm "$target/notes.txt" && rmdir "$target"
[[ -e $menu/Vandrel.lnk ]] && fail "the shortcut is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is still there"
[[ $(table) == 1 ]] || fail "the uninstaller removed the score table"
[[ -f $settings/vandrel.ini ]] || fail "the uninstaller removed the settings"
echo "uninstall: files, shortcut and entry gone; the table, the settings and the player's file kept"

# --- /D= names the folder; the folder's own uninstaller removes it again. ---
# As a player types it: /D= comes last and unquoted, blanks and all, which only
# a command prompt passes on unchanged (wine itself would quote the argument).
custom='C:\Spiele\Vandrel for all'
wine cmd /c "$(winepath -w "$setup") /S /D=$custom" >>"$E2E_DIR/setup.log" 2>&1 || fail "the installer failed with /D="
wineserver -w
[[ -f $(unix "$custom")/Vandrel.exe ]] || fail "/D= did not install into $custom"
[[ -d $target ]] && fail "/D= installed into $programs as well"
want InstallLocation "REG_SZ $custom"
wine "$custom\\Uninstall.exe" /S >>"$E2E_DIR/setup.log" 2>&1 || fail "the uninstaller in $custom failed"
wineserver -w
[[ -e $(unix "$custom") ]] && fail "$custom is still there"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the entry of $custom is still there"
echo "/D=: installed into $custom and removed again"

# --- An administrator (Wine's user is one) may install for all users. ---
install /AllUsers
all_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel'
all_dir=$(unix "$(folder ProgramFiles)"'\Vandrel')
all_menu=$(unix "$(folder ProgramData)"'\Microsoft\Windows\Start Menu\Programs')
[[ -f $all_dir/Vandrel.exe && -f $all_menu/Vandrel.lnk ]] || fail "/AllUsers did not install into Program Files"
wine reg query "$all_key" /v UninstallString 2>/dev/null | tr -d '\r' | grep -q 'Uninstall.exe" /AllUsers' ||
  fail "/AllUsers wrote no entry for all users"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "/AllUsers wrote a per-user entry"
wine "$(folder ProgramFiles)\\Vandrel\\Uninstall.exe" /S /AllUsers >>"$E2E_DIR/setup.log" 2>&1 || fail "the all-users uninstaller failed"
wineserver -w
[[ -e $all_dir || -e $all_menu/Vandrel.lnk ]] && fail "the all-users installation is still there"
wine reg query "$all_key" >/dev/null 2>&1 && fail "the all-users entry is still there"
echo "PASS: installer: silent install, shortcut to the title, entry, upgrade, uninstall, /D=, all users"
