#!/bin/sh
# installed_game.sh SOURCE BUILD: builds the game for Debian's games layout
# (install folders are fixed when configuring, hence a build of its own),
# stages it with DESTDIR, starts the staged launcher from another folder and
# quits with q: the window must come up and the game exit 0.
set -eu
source=$1 build=$2
{ cmake -S "$source" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_BINDIR=games -DCMAKE_INSTALL_DATADIR=share/games &&
  cmake --build "$build" -j 2; } > "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" > /dev/null

# Desktops look under share/ only, whatever the game's data folder.
cd "$stage/usr/share"
ls applications/skorvane.desktop icons/hicolor/scalable/apps/skorvane.svg \
  metainfo/io.github.skorvane.Skorvane.metainfo.xml man/man6/skorvane.6.gz \
  games/skorvane/cessna500.m > /dev/null

mkdir "$stage/elsewhere" && cd "$stage/elsewhere"
"$stage/usr/games/skorvane" > /dev/null &
game=$!
# The pointer over the window gives it the keyboard: Xvfb runs no window manager.
timeout 60 xdotool search --sync --onlyvisible --name Skorvane mousemove --window %1 10 10
xdotool key q
wait "$game"
test -z "$(ls -A)"  # the game writes no files
