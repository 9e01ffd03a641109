#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a technician would: the files the
# package ships, both programs from the prefix's bin, and the sample data file, which must
# update every slot and the AUTO SYMBOL table without a refusal.
# usage: installed_files.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

expected="bin/tervalink
bin/tervalink-frames
share/applications/io.github.tervalink.Tervalink.desktop
share/bash-completion/completions/tervalink-frames
share/doc/tervalink/changelog.gz
share/doc/tervalink/copyright
share/doc/tervalink/examples/sample-data.csv
share/icons/hicolor/128x128/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/16x16/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/24x24/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/256x256/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/32x32/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/48x48/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/64x64/apps/io.github.tervalink.Tervalink.png
share/icons/hicolor/scalable/apps/io.github.tervalink.Tervalink.svg
share/man/man1/tervalink-frames.1.gz
share/man/man1/tervalink.1.gz
share/metainfo/io.github.tervalink.Tervalink.metainfo.xml"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(LC_ALL=C sort <<<"$expected")" ] || fail "installed files differ:
$(diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual"))"

zcat "$prefix/share/man/man1/tervalink-frames.1.gz" | grep -q '^\.TH "tervalink-frames" "1"' ||
  fail "tervalink-frames.1.gz is not a manual page"

frames=$prefix/bin/tervalink-frames
[ "$("$frames" --version)" = "tervalink-frames 1.34" ] || fail "tervalink-frames --version"
# No display needed for the window program's answers.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tervalink" --version)
[ "$version" = "tervalink 1.34" ] || fail "tervalink --version gave \"$version\""
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tervalink" --help |
  grep -q '^usage: tervalink \[--help | --version\]$' || fail "tervalink --help"

sample=$prefix/share/doc/tervalink/examples/sample-data.csv
[ "$(wc -l <"$sample")" -eq 40 ] || fail "the sample file has not 40 lines"
[ -z "$("$frames" check --file "$sample")" ] || fail "CHECK DATA lists rows of the sample file"
for slot in $(seq 0 12); do
  # 3 rows, 15 times each: the last frame ends at tick 19350.
  last=$("$frames" plan --file "$sample" --choice "$slot" \
    --tick "$slot" --tick $((slot + 13)) --tick $((slot + 26)) | tail -n 1)
  [ "$last" = "end 19350" ] || fail "slot $slot of the sample file: $last"
done
last=$("$frames" plan --file "$sample" --choice 13 | tail -n 1)
[ "$last" = "end 2050" ] || fail "AUTO SYMBOL of the sample file: $last"
echo "installed files, programs and sample data file: ok"
