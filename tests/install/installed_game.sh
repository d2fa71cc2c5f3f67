#!/bin/sh
# installed_game.sh SOURCE BUILD: a build of its own for Debian's games layout
# (install folders are fixed when configuring), staged with DESTDIR and started
# from another folder; the window must come up and q end the game with 0.
set -eu
source=$1 build=$2
{ cmake -S "$source" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_BINDIR=games -DCMAKE_INSTALL_DATADIR=share/games &&
  cmake --build "$build" -j 2; } > "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" > /dev/null

# Desktops look under share/ only; the game runs on without its mesh.
cd "$stage/usr/share"
ls applications/skorvane.desktop icons/hicolor/scalable/apps/skorvane.svg \
  metainfo/io.github.skorvane.Skorvane.metainfo.xml man/man6/skorvane.6.gz \
  games/skorvane/cessna500.m > /dev/null

mkdir "$stage/elsewhere" && cd "$stage/elsewhere"
"$stage/usr/games/skorvane" > /dev/null &
game=$!
# Xvfb runs no window manager: the window under the pointer gets the keys.
timeout 60 xdotool search --sync --onlyvisible --name Skorvane mousemove --window %1 10 10
xdotool key q
wait "$game"
test -z "$(ls -A)"  # the game writes no files
