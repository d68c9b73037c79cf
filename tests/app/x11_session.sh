#!/usr/bin/env bash
# The program under a real X server (Xvfb) with a window manager, driven
# with real key events as a user would: type into the sheet, move on with
# Tab and Enter, resize the window, copy the sheet through the clipboard,
# quit. Skipped (77) where Xvfb or its tools are missing.
# Usage: x11_session.sh QUORVEL_EXE
set -u
for tool in xvfb-run openbox xdotool xclip; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool not installed"; exit 77; }
done
exe="$1"
if [ -z "${QUORVEL_IN_X:-}" ]; then
    export QUORVEL_IN_X=1
    exec xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$exe"
fi

export QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
wm=$!
tmp=$(mktemp -d)
trap 'kill $wm $app 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$exe" --settings "$tmp/q.ini" >/dev/null 2>&1 &
app=$!
win=""
for _ in $(seq 50); do
    win=$(xdotool search --name "System Quorvel - Psychrometry" 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || fail "the window did not appear"
title=$(xdotool getwindowname "$win")
[ "$title" = "System Quorvel - Psychrometry   V1.1" ] || fail "caption '$title'"
xdotool windowactivate --sync "$win"
sleep 0.5

copy_sheet() {
    xdotool key --window "$win" ctrl+c
    sleep 0.3
    xclip -selection clipboard -o
}

# The outdoor temperature has the focus at start: type over it and leave.
xdotool key --window "$win" ctrl+a
xdotool type --window "$win" --delay 50 "80"
xdotool key --window "$win" Tab End
sleep 0.5
sheet=$(copy_sheet)
echo "$sheet" | grep -q $'^Temperature (F)\t80\t75\t60\t' || fail "typed 80, sheet reads: $sheet"

# The outdoor RH now has the focus: 150 and Enter moves on, correcting it.
xdotool key --window "$win" ctrl+a
xdotool type --window "$win" --delay 50 "150"
xdotool key --window "$win" Return
sleep 0.3
xdotool key --window "$win" End
echo "$(copy_sheet)" | grep -q $'^Rel Humidity %\t100\t60\t99\t' || fail "150 and Enter did not read 100"

# Larger window: charts drawn anew, values unchanged.
before=$(copy_sheet | grep '^Dew Point')
xdotool windowsize --sync "$win" 1800 1150
sleep 1
after=$(copy_sheet | grep '^Dew Point')
[ "$before" = "$after" ] || fail "values moved with the size: '$before' -> '$after'"

# Ctrl+Q quits.
xdotool key --window "$win" ctrl+q
for _ in $(seq 25); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "Ctrl+Q did not quit"
echo "passed under X"
