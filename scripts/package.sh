#!/usr/bin/env bash
# Builds the Debian package and checks it:
#   scripts/package.sh
# Copies the sources (as they are in the working tree, without build folders)
# to build-deb/, runs dpkg-buildpackage there, unpacks the .deb into a scratch
# root and checks that it holds everything `cmake --install` installs and
# everything a desktop needs, that the programs and plug-ins in it run, and
# that lintian, desktop-file-validate and appstreamcli find no fault.
# The package is left as build-deb/zephyrine_<version>_amd64.deb.
#   scripts/package.sh --check-only   checks the package already in build-deb/
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)

# The tools that build and check a package, then the package's own build
# dependencies, both only when missing.
tools=(dpkg-dev debhelper lintian desktop-file-utils appstream lilv-utils)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null
fi
if ! dpkg-checkbuilddeps debian/control 2> /dev/null; then
    echo "Installing the package's build dependencies"
    apt-get update -qq
    apt-get build-dep -y -qq ./ > /dev/null
fi

version=$(dpkg-parsechangelog -S Version)
out=build-deb
src=$out/zephyrine-$version
root=$PWD/$out/root
check_only=false
[ "${1:-}" = "--check-only" ] && check_only=true
if ! $check_only; then
    rm -rf "$out"
    mkdir -p "$src"

    # Tracked and new files alike, as the working tree has them; nothing ignored.
    git ls-files --cached --others --exclude-standard -z |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf - | tar -xf - -C "$src"

    # A ccache the caller has is used, with the caller's settings: debhelper
    # hides the home folder and the configuration in it.
    if command -v ccache > /dev/null && [ -z "${CCACHE_DIR:-}" ]; then
        CCACHE_DIR=$(ccache -k cache_dir)
        CCACHE_MAXSIZE=$(ccache -k max_size)
        CCACHE_BASEDIR=$(ccache -k base_dir)
        export CCACHE_DIR CCACHE_MAXSIZE CCACHE_BASEDIR
    fi

    echo "Building the package (log: $out/build.log)"
    if ! (cd "$src" && dpkg-buildpackage -us -uc -b) > "$out/build.log" 2>&1; then
        tail -40 "$out/build.log"
        echo "package.sh: dpkg-buildpackage failed" >&2
        exit 1
    fi
fi
built=$(date +%s)

deb=$out/zephyrine_${version}_amd64.deb
rm -rf "$root"
mkdir -p "$root"
dpkg -x "$deb" "$root"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
has() {
    [ -e "$root/$1" ] || fail "the package lacks /$1"
}

# Everything the build files install (their manifest, written by
# dh_auto_install), compressed or not.
manifest=$src/obj-x86_64-linux-gnu/install_manifest.txt
[ -s "$manifest" ] || fail "no install manifest"
prefix=$(cd "$src" && pwd)/debian/zephyrine
while IFS= read -r f; do
    f=${f#"$prefix"}
    [ -e "$root$f" ] || [ -e "$root$f.gz" ] || fail "cmake installs $f, the package lacks it"
done < "$manifest"

# What hosts, menus and readers look for, by name.
id=example.tinwhistlers.zephyrine
for f in usr/lib/lv2/Zephyrine.lv2/manifest.ttl \
         usr/lib/lv2/Zephyrine.lv2/libZephyrine.so \
         usr/lib/vst3/Zephyrine.vst3/Contents/x86_64-linux/Zephyrine.so \
         usr/lib/vst/Zephyrine.so \
         usr/bin/zephyrine \
         usr/bin/zephyrine-render \
         usr/share/applications/$id.desktop \
         usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/$id.svg \
         usr/share/icons/hicolor/256x256/apps/$id.png \
         usr/share/man/man1/zephyrine.1.gz \
         usr/share/man/man1/zephyrine-render.1.gz \
         usr/share/bash-completion/completions/zephyrine-render \
         usr/share/doc/zephyrine/copyright; do
    has "$f"
done
if [ -e docs/guide.md ]; then
    [ -e "$root/usr/share/doc/zephyrine/guide.md" ] || [ -e "$root/usr/share/doc/zephyrine/guide.md.gz" ] ||
        fail "the package lacks the guide"
fi
if [ -d "$root/usr/share/zephyrine/presets" ]; then
    echo "presets: $(find "$root/usr/share/zephyrine/presets" -type f | wc -l) files"
fi

# The bitmap icon is a 256 x 256 PNG.
png=$root/usr/share/icons/hicolor/256x256/apps/$id.png
if [ -e "$png" ]; then
    [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the icon is not a PNG"
    [ "$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')" = "0 0 1 0 0 0 1 0" ] || fail "the icon is not 256 x 256"
fi

# The installed programs and plug-ins work from where the package puts them.
"$root/usr/bin/zephyrine-render" --version > /dev/null || fail "zephyrine-render --version"
LV2_PATH=$root/usr/lib/lv2 lv2ls | grep -qx "https://tinwhistlers.example/plugins/zephyrine" ||
    fail "lv2ls does not list the LV2 plug-in"
for plugin in "$root/usr/lib/lv2/Zephyrine.lv2" "$root/usr/lib/vst3/Zephyrine.vst3" "$root/usr/lib/vst/Zephyrine.so"; do
    "$root/usr/bin/zephyrine-render" --list-parameters --plugin "$plugin" | grep -q Vol ||
        fail "the renderer cannot load $plugin"
done
"$root/usr/bin/zephyrine-render" demo/demo.mid -q --plugin "$root/usr/lib/vst/Zephyrine.so" -o "$out/check.wav" ||
    fail "the renderer cannot play the demo through the VST 2 plug-in"

echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
echo "== appstreamcli validate-tree"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
echo "== lintian"
lintian --fail-on error --info "$out"/zephyrine_"${version}"_amd64.changes || fail "lintian reports errors"

finished=$(date +%s)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"
echo "time: $((built - started)) s to build, $((finished - built)) s to check"
if [ "$failures" -gt 0 ]; then
    echo "package.sh: $failures failed checks" >&2
    exit 1
fi
echo "package.sh: all checks passed"
