#!/bin/bash
# Not a test: drives the real desktop program with keys and clicks, as a person would, on the
# sample project, and takes screenshots of the whole screen (needs xdotool, ImageMagick's import
# and openbox for the window frames):
#     xvfb-run -a -s "-screen 0 1280x900x24" tests/shell/xvfb-screenshots.sh docs/screenshots build/dev-x/korvex
set -u
out=$(realpath "${1:?output folder}")
korvex=$(realpath "${2:?korvex program}")
# A fixed, shallow root: the clicks below aim at the folder list's rows.
root=/tmp/korvexxvfb
rm -rf "$root"
$korvex --root $root demo Ejemplo >/dev/null
mkdir -p $root/Documentos
cd $root
openbox >/dev/null 2>&1 &
sleep 1
$korvex --root $root > $root/korvex.log 2>&1 &
pid=$!
shot() { sleep ${2:-1}; import -window root $out/shell-escritorio-$1.png; }
sleep 3
shot inicio 0
xdotool key space
sleep 2
xdotool key Down Down
shot marco 1
xdotool key F5
sleep 1
xdotool type "Centro de Salud"
shot nuevo-proyecto 1
xdotool key Escape
sleep 1
xdotool key F3
shot abrir-raiz 1
xdotool key Return
sleep 1
# move the folder list into Ejemplo with a double click, then ask to delete it
xdotool mousemove 133 269 click --repeat 2 --delay 80 1
sleep 1
xdotool mousemove 173 553 click 1
shot borrar 1.5
xdotool key Tab space
sleep 1
xdotool mousemove 173 481 click 1
sleep 1.5
xdotool key Down
sleep 0.5
xdotool key Return
sleep 2
xdotool key alt+v
sleep 0.5
xdotool key p
sleep 1
xdotool key Tab
sleep 0.3
xdotool key space
shot editores 2.5
xdotool key alt+v
sleep 0.5
xdotool key p
sleep 1
xdotool key Escape
shot salir 1
xdotool key Escape
sleep 1
xdotool key F1
shot ayuda 2
kill $pid 2>/dev/null
kill %1 2>/dev/null
rm -rf "$root"
