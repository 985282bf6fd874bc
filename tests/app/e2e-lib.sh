# What the end-to-end scripts share: the real pellon.exe driven from outside, read
# back from its windows, its exit status, the board, the registry and its trace lines.
# Sourced with $bin set to the build's program folder; $app, the folder pellon.exe
# starts from, is $bin unless the caller sets it. Sets $log, a scratch folder
# removed at exit, and $fails, the count of failed checks.
app=${app:-$bin}
key='HKCU\Software\Norvane\Pellon'
fails=0
log=$(mktemp -d)
trap 'restore; rm -rf "$log"' EXIT

fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
probe() { wine "$bin/pellon_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
board() { wine "$bin/boardctl.exe" "$@" 2>/dev/null | tr -d '\r'; }
item() { board get "$1" | awk '{ print $NF }'; }
regset() { wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
regget() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'; }
regdel() { wine reg delete "$key" /v "$1" /f >/dev/null 2>&1; }
restore() {
  local profile
  wine sc start NRVACPI >/dev/null 2>&1  # a test may have stopped the driver
  profile=$(wine reg query 'HKLM\System\CurrentControlSet\Services\NRVACPI' /v Profile 2>/dev/null |
            tr -d '\r' | awk '$1 == "Profile" { print $3 }')
  board profile "${profile:-8x4}" >/dev/null
  wine reg delete "$key" /f >/dev/null 2>&1
  [ -f "$log/phase.png" ] && mv "$log/phase.png" "$app/resource/phase.png"
}

# start NAME ARGS...: pellon.exe in the background, its trace lines in $log/NAME.
start() {
  local name=$1; shift
  WINEDEBUG=-all,+debugstr wine "$app/pellon.exe" "$@" >/dev/null 2>"$log/$name" &
  pid=$!
}
# ended [SECONDS]: the last started program ends within the time, with exit status 0.
ended() {
  local i
  for ((i = 0; i < ${1:-10} * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      local status=$?
      [ "$status" -eq 0 ] || fail "exit status $status"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
stop() { ended 1 && return; probe send TMainForm Pellon 1024 85 >/dev/null; ended 10 || { kill "$pid"; wait "$pid"; fail "did not end on 1024"; }; }
# window STATE: waits up to 10 s for the main window's "VISIBLE ICONIC X Y W H".
window() {
  local i got
  for ((i = 0; i < 50; i++)); do
    got=$(probe find TMainForm Pellon)
    [ "$got" = "$1" ] && return 0
    sleep 0.2
  done
  fail "main window: expected '$1', got '${got:-none}'"
  return 1
}
temps() { grep -c 'Pellon Temp:' "$log/$1"; }
read -r screenW screenH < <(xdotool getdisplaygeometry)
centred() { echo "1 0 $(((screenW - $1) / 2)) $(((screenH - $2) / 2)) $1 $2"; }
hidden() { echo "0 0 $(centred "$@" | cut -d' ' -f3-)"; }
# settles EXPECTED COMMAND...: the command prints EXPECTED within 5 s (a busy machine may
# take a while to deliver a click); what it printed last is in $got.
settles() {
  local want=$1 i
  shift
  for ((i = 0; i < 50; i++)); do
    got=$("$@")
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  return 1
}
# click X Y [BUTTON]: a real click at a point of the screen.
click() { xdotool mousemove "$1" "$2" sleep 0.2 click "${3:-1}"; sleep 0.5; }
shot() { import -window root "$log/shot.png"; }
# pixel X Y: "R,G,B" of the last shot.
pixel() { convert "$log/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
ink() { # ink X Y W H: the bounding box "WxH+X+Y" of the bright pixels of that area
  convert "$log/shot.png" -crop "$3x$4+$1+$2" +repage -colorspace gray -threshold 40% -format "%@" info:
}
# valueshows TEXT: on the last shot, the average's value at the end of the legend's box
# (right-aligned at 208, bold MS Sans Serif of 11 pixels) is TEXT, ink for ink as the same
# font draws it; "" when no value shows. What the screen holds is in $got.
valueshows() {
  local want expected width
  want=$(probe textmask "MS Sans Serif" -11 700 "$1")
  if [ -z "$1" ]; then
    # From past the English legend's end to the box's.
    got=$(convert "$log/shot.png" -crop "40x17+$((left + 170))+$((top + 293))" +repage -channel G -separate \
          -format "%[fx:int(255*maxima)]" info:)
    [ "$got" -lt 80 ]
    return
  fi
  width=$(head -1 <<<"$want" | tr -d '\n' | wc -c)
  got=$(convert "$log/shot.png" -crop "$((width + 4))x17+$((left + 208 - width - 3))+$((top + 293))" +repage \
          -channel G -separate +channel -auto-level -threshold 50% -trim +repage -compress none pbm:- |
        awk 'NR == 1 { next } NR == 2 { w = $1; next }
             { for (i = 1; i <= NF; i++) for (j = 1; j <= length($i); j++) {
                 row = row (substr($i, j, 1) == "0" ? "#" : "."); if (length(row) == w) { print row; row = "" } } }')
  [ "$got" = "$want" ]
}
# hover X Y: the pointer comes to rest at a point of the screen.
hover() { xdotool mousemove "$1" "$2" sleep 0.2 mousemove $(($1 + 1)) $(($2 + 1)); }
pngsize() { identify -format "%w %h" "$app/resource/$1"; }
writes() { board show | awk -v id="$1" '$1 == "item" && $2 == id { for (i = 3; i < NF; i++) if ($i == "writes") print $(i + 1) }'; }
# lit X TOP [HEIGHT]: on the last shot, the lit height of the bar whose column is X, top
# TOP and picture HEIGHT (184) high; its white cap marks the top of the lit part.
lit() {
  convert "$log/shot.png" -crop "1x${3:-184}+$1+$2" +repage -depth 8 txt:- |
    awk -v h="${3:-184}" 'NR > 1 && / #FFFFFF/ { split($1, a, "[,:]"); print h - a[2]; found = 1; exit }
         END { if (!found) print "none" }'
}
# dialog [W H]: waits for the warning dialog, which must be W x H (414 x 192) and centred;
# sets dleft and dtop.
dialog() {
  local i got
  for ((i = 0; i < 50; i++)); do
    got=$(probe find TWarnForm WarnForm) && [ "${got%% *}" = 1 ] && break
    sleep 0.2
  done
  read -r _ _ dleft dtop _ <<<"$got"
  [ "$got" = "$(centred "${1:-414}" "${2:-192}")" ] || fail "dialog: '$got'"
}
# msgbox TITLE: waits up to 10 s for a message box captioned TITLE; its text in $text.
msgbox() {
  local i
  for ((i = 0; i < 50; i++)); do text=$(probe msgbox "$1") && return 0; sleep 0.2; done
  text=
  return 1
}
# tray: sets trayX and trayY, a point on the program's tray icon.
tray() {
  read -r trayX trayY < <(xdotool search --name "Wine System Tray" getwindowgeometry --shell 2>/dev/null |
    awk -F= '$1 == "X" { x = $2 } $1 == "Y" { y = $2 } END { print x + 12, y + 30 }')
}
