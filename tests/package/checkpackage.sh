#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the source tree as Debian would, and checks
# it with lintian, appstreamcli and desktop-file-validate, its files, Depends and version.
#   checkpackage.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
work=$2
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A clean tree: what is or would be committed, nothing a build left behind.
rm -rf "$work"
mkdir -p "$work/marsflyer"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$work/marsflyer")
else
  tar -C "$source" --exclude='./build*' --exclude=./.git -cf - . | tar -C "$work/marsflyer" -xf -
fi

# The same path every time lets ccache reuse objects; debhelper's own HOME needs the cache named.
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
  CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
  export CCACHE_DIR
fi
echo "== dpkg-buildpackage -us -uc -b"
if ! (cd "$work/marsflyer" && DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -us -uc -b >"$work/build.log" 2>&1); then
  tail -40 "$work/build.log"
  echo "FAIL: dpkg-buildpackage (log: $work/build.log)"
  exit 1
fi
version=$(cd "$work/marsflyer" && dpkg-parsechangelog -S Version)
deb=$work/marsflyer_${version}_$(dpkg --print-architecture).deb
changes=${deb%.deb}.changes

echo "== lintian"
status=0
lintian --display-info --fail-on error,warning "$changes" >"$work/lintian.txt" 2>&1 || status=$?
grep -v "running with root privileges" "$work/lintian.txt" || true
[ "$status" -eq 0 ] || fail "lintian reports an error or a warning (status $status)"
grep -E '^[EW]: ' "$work/lintian.txt" && fail "lintian: errors or warnings above"
for tag in $(sed -n 's/^I: [^ ]*: \([a-z0-9-]*\).*/\1/p' "$work/lintian.txt" | sort -u); do
  grep -q -- "\`$tag\`" "$source/README.md" || fail "lintian's info tag $tag is not explained in README.md"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
echo "== appstreamcli validate --no-net"
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
status=0
appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1 || status=$?
cat "$work/appstream.txt"
[ "$status" -eq 0 ] || fail "appstreamcli validate (status $status)"
grep -E '^[EW]: ' "$work/appstream.txt" && fail "appstreamcli: errors or warnings above"
desktop-file-validate "$root/usr/share/applications/marsflyer.desktop" || fail "desktop-file-validate"
grep -qx 'StartupWMClass=marsflyer' "$root/usr/share/applications/marsflyer.desktop" ||
  fail "the menu entry names another window class than the game's, marsflyer"

# One version everywhere: the changelog's, the game's and the newest release in the metainfo.
answered=$(env -u DISPLAY -u HOME "$root/usr/games/marsflyer" --version) || fail "marsflyer --version"
[ "$answered" = "Mars Flyer $version" ] || fail "marsflyer --version says '$answered', the changelog $version"
released=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
[ "$released" = "$version" ] || fail "the metainfo's newest release is $released, the changelog's $version"

echo "== The package's files"
dpkg-deb -c "$deb" | awk '{ print $1, $3, $6 }' | tee "$work/files.txt"
expected=$(printf 'usr/%s\n' games/marsflyer lib/games/marsflyer/marsflyer share/applications/marsflyer.desktop \
  share/doc/marsflyer/{README.md.gz,changelog.gz,copyright} share/games/marsflyer/data.dat \
  share/games/marsflyer/levels/level{1,2,3,4,5,6}{,objects}.txt share/icons/hicolor/{32x32,48x48,64x64,128x128}/apps/marsflyer.png \
  share/man/man6/marsflyer.6.gz share/metainfo/org.marsflyer.marsflyer.metainfo.xml)
actual=$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$(echo "$expected" | LC_ALL=C sort)" ] ||
  fail "the package's files differ from the expected: $(diff <(echo "$expected" | LC_ALL=C sort) <(echo "$actual") | grep '^[<>]' | tr '\n' ' ')"
file "$root/usr/lib/games/marsflyer/marsflyer" | grep -q ', stripped' || fail "the game is not stripped"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in liballegro4.4 libc6 libstdc++6; do
  [[ " $depends" == *" $lib "* ]] || fail "Depends lacks $lib: $depends"
done
for field in Package Version Section Priority Maintainer Installed-Size Depends; do
  echo "$field: $(dpkg-deb -f "$deb" "$field")"
done
echo "Size of $(basename "$deb"): $(stat -c %s "$deb") bytes"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; the build is in $work"
  exit 1
fi
echo "The package is clean"
