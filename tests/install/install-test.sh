#!/usr/bin/env bash
# The setup program in a fresh 64-bit prefix of its own (WINEPREFIX set by the caller),
# under Xvfb: a silent install with the simulated board, the installed program started
# the way the start-up entry starts it, an install over the running program, a silent
# uninstall while it runs, and installs without the board into a folder given by /D=.
#   install-test.sh SETUP.EXE VERSION BIN_DIR SOURCE_DIR x86|x64
set -u -o pipefail
setup=$1 version=$2 bin=$3 src=$4 arch=$5
fails=0
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

# The x64 build's setup program installs into the 64-bit folder and registry view.
if [ "$arch" = x64 ]; then
  view=64 folder='C:\Program Files\Norvane\Pellon'
else
  view=32 folder='C:\Program Files (x86)\Norvane\Pellon'
fi
dir="$WINEPREFIX/drive_c/${folder#C:\\}"
dir=${dir//\\//}
tools="$WINEPREFIX/drive_c/Tools"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pellon.lnk"
driver="$WINEPREFIX/drive_c/windows/system32/drivers/nrvacpi.sys"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninst_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellon'
settings_key='HKCU\Software\Norvane\Pellon'
service='HKLM\System\CurrentControlSet\Services\NRVACPI'

fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
# regval KEY NAME [32]: the data of the value, nothing when it is missing.
regval() {
  wine reg query "$1" /v "$2" ${3:+/reg:$3} 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print; exit }'
}
same() { cmp -s "$1" "$2" || diff -rq "$1" "$2" >/dev/null 2>&1 || fail "$2 differs from $1"; }
# installs ARGS...: the setup program, silently; its seconds in $took.
installs() {
  local t
  t=$(now)
  wine "$setup" /S "$@" >/dev/null 2>&1 || fail "setup /S $* exit status $?"
  took=$(since "$t")
}
# uninstalls FOLDER DIR: the silent uninstaller runs from a copy of itself and returns
# at once; it is done when the folder is gone. Its seconds in $took.
uninstalls() {
  local t i
  t=$(now)
  wine "$1\\uninstall.exe" /S >/dev/null 2>&1 || fail "uninstall.exe /S did not start"
  for ((i = 0; i < 600; i++)); do [ -e "$2" ] || break; sleep 0.1; done
  took=$(since "$t")
  [ -e "$2" ] && fail "left after the uninstall: $(ls "$2" | tr '\n' ' ')"
}
# boot NAME: the start-up entry's command, checked and run; the main window must come up
# hidden, with the board's first refresh (8 reads) in the trace and an entry in the tray.
boot() {
  local exe i got
  exe=$(regval "$run_key" Pellon | sed -n 's/^"\(.*\)" -b$/\1/p')
  [ -n "$exe" ] || { fail "start-up entry '$(regval "$run_key" Pellon)'"; exit 1; }
  WINEDEBUG=-all,+debugstr wine "$exe" -b >/dev/null 2>"$log/$1" &
  pid=$!
  for ((i = 0; i < 50; i++)); do
    got=$(wine "$bin/pellon_probe.exe" find TMainForm Pellon 2>/dev/null) && break
    sleep 0.2
  done
  [ "${got%% *}" = 0 ] || fail "main window after a boot start: '${got:-none}', expected hidden"
  sleep 1
  [ "$(grep -c 'Pellon Temp:' "$log/$1")" -eq 8 ] || fail "$1: $(grep -c 'Pellon Temp:' "$log/$1") reads, expected 8"
  # Wine shows its tray window while an entry is in it; nothing else here makes one.
  xdotool search --onlyvisible --name "Wine System Tray" >/dev/null || fail "$1: no tray entry"
}
# ended WHAT: the running program has ended, within 2 s, with status 0, and its tray
# entry has gone with it.
ended() {
  local i
  for ((i = 0; i < 20; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$1 left pellon.exe running"
    kill "$pid"
  fi
  wait "$pid" || fail "pellon.exe exit status $?"
  xdotool search --onlyvisible --name "Wine System Tray" >/dev/null && fail "$1: the tray entry stayed"
}

# --- Silent install with the simulated board.
installs /SIMBOARD
install_time=$took
for f in pellon.exe imgcodec.dll NRACPI.DLL boardctl.exe; do same "$bin/$f" "$dir/$f"; done
same "$src/resource" "$dir/resource"
same "$src/LangFiles" "$dir/LangFiles"
same "$bin/../drivers/x64/nrvacpi.sys" "$driver"
grep -aq 'pellon\.exe' "$shortcut" 2>/dev/null || fail "no Start-menu shortcut to pellon.exe"
strings -el "$dir/pellon.exe" | grep -qx "$version.0" || fail "pellon.exe's version resource is not $version.0"
for pair in "DisplayName=Pellon" "DisplayVersion=$version" "Publisher=Norvane" \
            "DisplayIcon=$folder\\pellon.exe,0" "UninstallString=\"$folder\\uninstall.exe\""; do
  [ "$(regval "$uninst_key" "${pair%%=*}" $view)" = "${pair#*=}" ] ||
    fail "Add/Remove ${pair%%=*}: '$(regval "$uninst_key" "${pair%%=*}" $view)', expected '${pair#*=}'"
done
# The size in KB: within 1 KB a file of the bytes on disk.
kb=$(( $(regval "$uninst_key" EstimatedSize $view) ))
read -r files bytes < <(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print NR, s }')
(( (kb - files) * 1024 <= bytes && bytes <= (kb + files) * 1024 )) || fail "EstimatedSize $kb KB for $bytes bytes"

# --- Started from the entry; an install over it closes and replaces it, keeping Mode.
boot first
wine reg add "$settings_key" /v Mode /t REG_DWORD /d 0 /f >/dev/null 2>&1
printf 'old' >>"$dir/pellon.exe"
installs
upgrade_time=$took
ended "the install over it"
same "$bin/pellon.exe" "$dir/pellon.exe"
[ -f "$dir/NRACPI.DLL" ] || fail "the upgrade dropped the simulated board"

# --- A silent uninstall ends the running program and removes all it installed.
boot again
uninstalls "$folder" "$dir"
uninstall_time=$took
ended "the uninstall"
for f in "$(dirname "$dir")" "$shortcut" "$driver"; do [ -e "$f" ] && fail "left: $f"; done
wine sc query NRVACPI >/dev/null 2>&1 && fail "the driver's service is left"
[ -n "$(regval "$run_key" Pellon)" ] && fail "the start-up entry is left"
wine reg query "$uninst_key" /reg:$view >/dev/null 2>&1 && fail "the Add/Remove entry is left"
[ "$(regval "$settings_key" Mode)" = 0x0 ] || fail "Mode is '$(regval "$settings_key" Mode)', expected the kept 0"

# --- Into a /D= folder, without the board by default and beside a board's own driver,
# which is neither replaced nor removed; the folder above the program's stays.
mkdir -p "$tools"
installs '/D=C:\Tools\Pellon'
[ "$(regval "$run_key" Pellon)" = '"C:\Tools\Pellon\pellon.exe" -b' ] || fail "entry with /D=: '$(regval "$run_key" Pellon)'"
wine reg add "$service" /v Type /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$service" /v ImagePath /t REG_SZ /d 'C:\Board\nrvacpi.sys' /f >/dev/null 2>&1
installs /SIMBOARD
for f in "$tools/Pellon/NRACPI.DLL" "$driver"; do [ -e "$f" ] && fail "installed without the board: $f"; done
uninstalls 'C:\Tools\Pellon' "$tools/Pellon"
[ -d "$tools" ] || fail "the uninstall removed the folder above its own"
[ "$(regval "$service" ImagePath)" = 'C:\Board\nrvacpi.sys' ] || fail "the uninstall touched a board's own driver"

echo "setup $(stat -c %s "$setup") bytes; install ${install_time} s, install over the running" \
     "program ${upgrade_time} s, uninstall ${uninstall_time} s"
[ $fails -eq 0 ] && echo "setup program: all checks passed"
exit $((fails > 0))
