#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own source package of the Qt the
# Linux build uses, with the mingw-w64 cross compiler, into a machine-wide
# prefix named after the version:
#
#   tools/build-qt-windows.sh            (prefix /opt/quarvel-deps/qt-VERSION-mingw64)
#
# A static qtbase: Core, Gui, Widgets, Test and the windows and offscreen
# platform plugins, nothing the editor does not link. Debian's own moc, rcc
# and uic of the same version serve as host tools. When the prefix is
# complete and was built with the options below, the script does nothing;
# otherwise it builds anew, keeping the old prefix until the new build is
# ready to install. QUARVEL_DEPS names another top folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

# What is off and why:
# - sql, network, dbus, printsupport, concurrent, xml: the editor uses none.
# - tabletevent: Debian's tarball has no wintab.h.
# - vulkan: only the windows and offscreen platforms are needed.
# direct2d stays on: the windows platform plugin's DirectWrite font database
# is built only with it. opengl stays on: the windows platform plugin of this
# version needs it (dynamic, loaded at run time). zlib, pcre2, libpng,
# freetype and harfbuzz are the copies in the source tree.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_opengl=ON -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_accessibility=ON
)
build_id=$(printf '%s\n' "${options[@]}" | sha256sum | cut -c1-16)

version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/[+~-].*//')
deps="${QUARVEL_DEPS:-/opt/quarvel-deps}"
prefix="$deps/qt-$version-mingw64"
if [ -f "$prefix/.complete" ] && grep -q "options $build_id" "$prefix/.complete"; then
    echo "build-qt-windows: $prefix is complete"
    exit 0
fi

source tools/deps-folder.sh
claim_deps_folder "$deps"

work="${QUARVEL_DEPS_BUILD:-/var/tmp/quarvel-deps-build}/qt-$version"
rm -rf "$work"
mkdir -p "$work"
started=$(date +%s)
tools/apt-source.sh qt6-base "$work"
tree=$(ls -d "$work"/qt6-base-*/ | head -1)

# The toolchain of this tree, which looks for no earlier Qt while Qt builds.
export QUARVEL_BUILDING_DEPS=1
echo "build-qt-windows: building Qt $version for Windows (about 1,100 steps)"
cmake -S "$tree" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log"; exit 1; }
# One line in a hundred of the build's progress, the whole log on failure.
cmake --build "$work/build" --parallel "$(nproc)" 2>&1 | tee "$work/build.log" | awk 'NR % 100 == 0 { print; fflush() }' ||
    { tail -40 "$work/build.log"; exit 1; }
rm -rf "$prefix"
cmake --install "$work/build" >"$work/install.log"
built=$(($(date +%s) - started))
echo "$version built in $built s from $(basename "$tree"), options $build_id" >"$prefix/.complete"
rm -rf "$work"
echo "build-qt-windows: Qt $version for Windows in $prefix ($built s)"
