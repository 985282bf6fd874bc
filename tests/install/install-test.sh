#!/usr/bin/env bash
# The setup program in a fresh 64-bit prefix of its own (WINEPREFIX set by the caller),
# under Xvfb: a silent install with the simulated board, the installed program started
# the way the start-up entry starts it, an install over the running program, a silent
# uninstall while it runs, and installs without the board into a folder given by /D=.
#   install-test.sh SETUP.EXE VERSION BIN_DIR SOURCE_DIR
set -u -o pipefail
setup=$1 version=$2 bin=$3 src=$4
fails=0
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

folder='C:\Program Files (x86)\Norvane\Pellon'
dir="$WINEPREFIX/drive_c/Program Files (x86)/Norvane/Pellon"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pellon.lnk"
driver="$WINEPREFIX/drive_c/windows/system32/drivers/nrvacpi.sys"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellon'
settings_key='HKCU\Software\Norvane\Pellon'

fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
probe() { wine "$bin/pellon_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
# regval KEY NAME [32]: the data of the value, nothing when it is missing.
regval() {
  wine reg query "$1" /v "$2" ${3:+/reg:$3} 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print; exit }'
}
haskey() { wine reg query "$1" ${2:+/reg:$2} >/dev/null 2>&1; }

# start NAME: the program as the start-up entry names it, its trace lines in $log/NAME.
start() {
  local entry exe
  entry=$(regval "$run_key" Pellon)
  exe=$(sed -n 's/^"\(.*\)" -b$/\1/p' <<<"$entry")
  [ -n "$exe" ] || { fail "start-up entry '$entry' is not '\"<folder>\\pellon.exe\" -b'"; return 1; }
  WINEDEBUG=-all,+debugstr wine "$exe" -b >/dev/null 2>"$log/$1" &
  pid=$!
}
# ended SECONDS: the last started program has ended within the time, with status 0.
ended() {
  local i status
  for ((i = 0; i < $1 * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"; status=$?
      [ $status -eq 0 ] || fail "pellon.exe exit status $status"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# hidden: the main window exists and stays hidden (a boot start).
hidden() {
  local i got
  for ((i = 0; i < 50; i++)); do
    got=$(probe find TMainForm Pellon) && break
    sleep 0.2
  done
  [ "${got%% *}" = 0 ] || fail "main window after a boot start: '${got:-none}', expected hidden"
}
# installs SETUP ARGS...: runs it silently, records the seconds in $took.
installs() {
  local t=$(now) status
  wine "$@" >/dev/null 2>&1; status=$?
  took=$(since "$t")
  [ $status -eq 0 ] || fail "$* exit status $status"
}
# uninstalls FOLDER DIR: the silent uninstaller runs from a copy of itself and leaves
# at once; done when the folder is gone (within 60 s). Records the seconds in $took.
uninstalls() {
  local t=$(now) i
  wine "$1\\uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall.exe /S failed to start"
  for ((i = 0; i < 600; i++)); do
    [ -e "$2" ] || break
    sleep 0.1
  done
  took=$(since "$t")
  [ -e "$2" ] && fail "the program folder is still there 60 s after the uninstall: $(ls "$2" | tr '\n' ' ')"
}
# same LABEL A B: the two files or folders have the same contents.
same() { diff -r "$2" "$3" >/dev/null 2>&1 || fail "$1 differs from the build's"; }

# --- Silent install with the simulated board.
installs "$setup" /S /SIMBOARD
install_time=$took
same pellon.exe "$bin/pellon.exe" "$dir/pellon.exe"
same imgcodec.dll "$bin/imgcodec.dll" "$dir/imgcodec.dll"
same NRACPI.DLL "$bin/NRACPI.DLL" "$dir/NRACPI.DLL"
same boardctl.exe "$bin/boardctl.exe" "$dir/boardctl.exe"
same resource "$src/resource" "$dir/resource"
same LangFiles "$src/LangFiles" "$dir/LangFiles"
same "the driver" "$bin/../drivers/x64/nrvacpi.sys" "$driver"
[ -f "$dir/uninstall.exe" ] || fail "no uninstall.exe"
grep -aq 'pellon\.exe' "$shortcut" 2>/dev/null || fail "no Start-menu shortcut to pellon.exe"
[ "$(regval "$run_key" Pellon)" = "\"$folder\\pellon.exe\" -b" ] ||
  fail "start-up entry: '$(regval "$run_key" Pellon)'"
for pair in "DisplayName=Pellon" "DisplayVersion=$version" "Publisher=Norvane" \
            "DisplayIcon=$folder\\pellon.exe,0" "UninstallString=\"$folder\\uninstall.exe\"" \
            "InstallLocation=$folder"; do
  [ "$(regval "$uninst_key" "${pair%%=*}" 32)" = "${pair#*=}" ] ||
    fail "Add/Remove ${pair%%=*}: '$(regval "$uninst_key" "${pair%%=*}" 32)', expected '${pair#*=}'"
done
# The size in KB as Add/Remove shows it: within 1 KB per file of what is on disk.
kb=$(( $(regval "$uninst_key" EstimatedSize 32) ))
files=$(find "$dir" -type f | wc -l)
bytes=$(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
(( kb * 1024 <= bytes + files * 1024 && kb * 1024 + files * 1024 >= bytes )) ||
  fail "EstimatedSize $kb KB for $bytes bytes in $files files"

# --- The start-up entry's command: hidden, on the simulated board, with its tray entry.
start boot || exit 1
hidden
sleep 1
[ "$(grep -c 'Pellon Temp:' "$log/boot")" -eq 8 ] ||
  fail "$(grep -c 'Pellon Temp:' "$log/boot") temperature reads, expected the 8 of the board's first refresh"
wine "$bin/tray_probe.exe" TMainForm Pellon 1 || fail "no tray entry"

# --- An install over the running program closes it, replaces it and keeps the settings.
wine reg add "$settings_key" /v Mode /t REG_DWORD /d 0 /f >/dev/null 2>&1
printf 'old' >>"$dir/pellon.exe"
installs "$setup" /S
upgrade_time=$took
ended 2 || { fail "the install over it left pellon.exe running"; kill "$pid"; wait "$pid"; }
same "pellon.exe after the upgrade" "$bin/pellon.exe" "$dir/pellon.exe"
[ "$(regval "$settings_key" Mode)" = 0x0 ] || fail "the upgrade changed Mode to '$(regval "$settings_key" Mode)'"
[ -f "$dir/NRACPI.DLL" ] || fail "the upgrade dropped the simulated board"

# --- A silent uninstall ends the running program and removes all it installed.
start again || exit 1
hidden
uninstalls "$folder" "$dir"
uninstall_time=$took
ended 2 || { fail "the uninstall left pellon.exe running"; kill "$pid"; wait "$pid"; }
[ -e "$(dirname "$dir")" ] && fail "the empty Norvane folder is left"
[ -e "$shortcut" ] && fail "the shortcut is left"
[ -e "$driver" ] && fail "the driver is left"
wine sc query NRVACPI >/dev/null 2>&1 && fail "the driver's service is left"
[ -n "$(regval "$run_key" Pellon)" ] && fail "the start-up entry is left"
haskey "$uninst_key" 32 && fail "the Add/Remove entry is left"
[ "$(regval "$settings_key" Mode)" = 0x0 ] || fail "the silent uninstall did not keep the settings"

# --- Without the board, into another folder: nothing of the board is installed, and
# the uninstall leaves that folder's parent alone.
mkdir -p "$WINEPREFIX/drive_c/Tools"
installs "$setup" /S '/D=C:\Tools\Pellon'
[ -f "$WINEPREFIX/drive_c/Tools/Pellon/pellon.exe" ] || fail "/D= did not choose the folder"
[ "$(regval "$run_key" Pellon)" = '"C:\Tools\Pellon\pellon.exe" -b' ] ||
  fail "start-up entry with /D=: '$(regval "$run_key" Pellon)'"
[ -e "$WINEPREFIX/drive_c/Tools/Pellon/NRACPI.DLL" ] && fail "the simulated board is installed by default"
[ -e "$driver" ] && fail "the driver is installed by default"
# A board's own driver is neither replaced by the simulated one nor removed.
service='HKLM\System\CurrentControlSet\Services\NRVACPI'
wine reg add "$service" /v Type /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$service" /v ImagePath /t REG_SZ /d 'C:\Board\nrvacpi.sys' /f >/dev/null 2>&1
installs "$setup" /S /SIMBOARD
[ -e "$WINEPREFIX/drive_c/Tools/Pellon/NRACPI.DLL" ] && fail "the simulated library is installed beside a board's own driver"
[ -e "$driver" ] && fail "the simulated driver is installed over a board's own"
uninstalls 'C:\Tools\Pellon' "$WINEPREFIX/drive_c/Tools/Pellon"
[ -d "$WINEPREFIX/drive_c/Tools" ] || fail "the uninstall removed the folder above its own"
[ "$(regval "$service" ImagePath)" = 'C:\Board\nrvacpi.sys' ] || fail "the uninstall touched a board's own driver"

echo "setup $(stat -c %s "$setup") bytes; install ${install_time} s, install over the running" \
     "program ${upgrade_time} s, uninstall ${uninstall_time} s"
[ $fails -eq 0 ] && echo "setup program: all checks passed"
exit $((fails > 0))
