#!/usr/bin/env bash
# Builds the Debian package and the portable archive from a built tree and checks them: the files they
# hold, the desktop entry and the AppStream metadata, the package's dependencies, and the program started
# offscreen from each, installed into a scratch root and unpacked elsewhere: check-packages.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
app_id=example.metrazil.Metrazil
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-packages: $*" >&2; exit 1; }

rm -rf "$build/packages"
(cd "$build" && cpack -G "DEB;TGZ" >/dev/null)
debs=("$build"/packages/metrazil_*.deb)
tars=("$build"/packages/metrazil-*-portable.tar.gz)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $build/packages"
[ ${#tars[@]} -eq 1 ] && [ -f "${tars[0]}" ] || fail "expected one portable .tar.gz in $build/packages"
deb=${debs[0]}
tar=${tars[0]}

# The Debian package: exactly these files, under /usr.
expected="./usr/bin/metrazil
./usr/share/applications/$app_id.desktop
./usr/share/doc/metrazil/changelog.gz
./usr/share/doc/metrazil/copyright
./usr/share/icons/hicolor/128x128/apps/$app_id.png
./usr/share/icons/hicolor/256x256/apps/$app_id.png
./usr/share/icons/hicolor/48x48/apps/$app_id.png
./usr/share/icons/hicolor/scalable/apps/$app_id.svg
./usr/share/man/man1/metrazil.1.gz
./usr/share/metainfo/$app_id.metainfo.xml
./usr/share/metrazil/examples/data.dat
./usr/share/metrazil/examples/data2.dat"
webengine=$(grep -c 'METRAZIL_WEBENGINE:BOOL=ON' "$build/CMakeCache.txt" || true)
if [ "$webengine" -eq 1 ]; then
  expected=$(printf '%s\n%s' "$expected" "./usr/$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")/metrazil/libmetrazil_webview.so" | sort)
fi
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$actual" = "$expected" ] || fail "$deb holds:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"

# Its dependencies: the linked libraries found by shlibdeps, the fonts, Qt's catalogues and the web engine's
# helper.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
required=(libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libxxhash0 "fonts-noto-cjk | fonts-arphic-uming"
  "fonts-liberation2 | fonts-dejavu-extra" qt6-translations-l10n)
if grep -q 'METRAZIL_WEBENGINE:BOOL=ON' "$build/CMakeCache.txt"; then
  required+=(libqt6webenginewidgets6 libqt6webenginecore6-bin)
fi
for package in "${required[@]}"; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package"
done

# Debian's policy checks: an error fails the package, warnings are shown.
lintian_status=0
lintian --fail-on error --tag-display-limit 0 "$deb" || lintian_status=$?
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors on $(basename "$deb")"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
cmp "$root/usr/share/metrazil/examples/data.dat" examples/data.dat
cmp "$root/usr/share/metrazil/examples/data2.dat" examples/data2.dat
man --warnings -l "$root/usr/share/man/man1/metrazil.1.gz" 2>&1 >/dev/null | grep . && fail "the manual page has mistakes"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$app_id.metainfo.xml"
for size in 48 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" | grep -q "PNG image data, $size x $size," ||
    fail "the $size-pixel icon is no $size x $size PNG"
done

# The portable archive: one folder, the program beside its tables.
folder=$(basename "$tar" .tar.gz)
actual=$(tar -tzf "$tar" | grep -v '/$' | sort)
expected="$folder/README.txt
$folder/data.dat
$folder/data2.dat
$folder/metrazil"
if [ "$webengine" -eq 1 ]; then expected=$(printf '%s\n%s' "$expected" "$folder/libmetrazil_webview.so" | sort); fi
[ "$actual" = "$expected" ] || fail "$tar holds:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"
tar -xzf "$tar" -C "$scratch"
cmp "$scratch/$folder/data.dat" examples/data.dat
cmp "$scratch/$folder/data2.dat" examples/data2.dat

# Starts a program offscreen from an unrelated working directory with an empty home and traces its file
# calls; it passes when the program is still running after a few seconds and has looked for its tables in
# the expected directory (and, installed, at the samples) and nowhere else. The installed program's first
# run makes its table directory, private, from the samples; a portable one makes none. Its input is not the
# terminal: a background run would otherwise stop it on a read, which strace reports as an error.
starts() {
  local program=$1 name=$2 tables=$3 home=$scratch/home-$2 status=0
  mkdir -p "$home" "$scratch/cwd"
  (cd "$scratch/cwd" && env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu strace -f --seccomp-bpf -qq -e trace=%file -o "$scratch/$name.trace" \
    timeout 8 "$program" </dev/null >"$scratch/$name.log" 2>&1) || status=$?
  [ "$status" -eq 124 ] || { cat "$scratch/$name.log" >&2; fail "$program ended with status $status"; }
  local looked
  looked=$(grep -o '"[^"]*/data2\?\.dat"' "$scratch/$name.trace" | tr -d '"' | sort -u)
  local expected="$tables/data.dat"$'\n'"$tables/data2.dat"
  if [ "$name" = installed ]; then
    expected=$(printf '%s\n%s\n%s' "$expected" "$root/usr/share/metrazil/examples/data.dat" \
      "$root/usr/share/metrazil/examples/data2.dat" | sort)
  fi
  [ "$looked" = "$expected" ] || fail "$program looked for its tables at: $looked"
  if [ "$name" = installed ]; then
    [ "$(stat -c %a "$tables")" = 700 ] || fail "$program made $tables with mode $(stat -c %a "$tables")"
    cmp "$tables/data.dat" examples/data.dat && cmp "$tables/data2.dat" examples/data2.dat ||
      fail "$program did not start from the samples"
  else
    [ ! -e "$home/.local/share/metrazil" ] || fail "$program made a table directory in the home"
  fi
  [ -z "$(ls -A "$scratch/cwd")" ] || fail "$program wrote into its working directory"
}
# As root too, the installed program keeps its tables in the home, the portable one beside itself.
starts "$root/usr/bin/metrazil" installed "$scratch/home-installed/.local/share/metrazil"
starts "$scratch/$folder/metrazil" portable "$scratch/$folder"
echo "check-packages: $(basename "$deb") and $(basename "$tar") are fine"
