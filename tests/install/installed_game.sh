#!/bin/sh
# installed_game.sh SOURCE BUILD: a build of its own for Debian's games layout
# (install folders are fixed when configuring), staged with DESTDIR and played
# from another, empty folder, where it must leave no file.
set -eu
source=$1 build=$2
{ cmake -S "$source" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_BINDIR=games -DCMAKE_INSTALL_DATADIR=share/games &&
  cmake --build "$build" -j 2; } > "$build.log" 2>&1 || { cat "$build.log"; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" > /dev/null

# Desktops look under share/ only, whatever the layout of the game's own files.
cd "$stage/usr/share"
ls applications/skorvane.desktop icons/hicolor/scalable/apps/skorvane.svg \
  metainfo/io.github.skorvane.Skorvane.metainfo.xml man/man6/skorvane.6.gz \
  games/skorvane/cessna500.m > /dev/null

bash "$(dirname "$0")/../e2e/play.sh" "$stage/usr/games/skorvane" : "xdotool key q"
