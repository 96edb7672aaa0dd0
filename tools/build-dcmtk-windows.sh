#!/usr/bin/env bash
# Builds DCMTK for 64-bit Windows from Debian's own source package of the
# DCMTK the Linux build uses, with the mingw-w64 cross compiler, into a
# machine-wide prefix named after the version:
#
#   tools/build-dcmtk-windows.sh         (prefix /opt/quarvel-deps/dcmtk-VERSION-mingw64)
#
# Static ofstd, oflog, dcmdata (with the data dictionary built in) and
# dcmnet: what the DICOM checks link; dcmtls too, without OpenSSL, since
# dcmnet's sources include its headers. DCMTK answers its configure-time run
# checks by running them under Wine. When the prefix is complete the script
# does nothing; QUARVEL_DEPS names another top folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

version=$(dpkg-query -W -f='${Version}' libdcmtk-dev | sed 's/[+~-].*//')
deps="${QUARVEL_DEPS:-/opt/quarvel-deps}"
prefix="$deps/dcmtk-$version-mingw64"
if [ -f "$prefix/.complete" ]; then
    echo "build-dcmtk-windows: $prefix is complete"
    exit 0
fi

source tools/deps-folder.sh
claim_deps_folder "$deps"

work="${QUARVEL_DEPS_BUILD:-/var/tmp/quarvel-deps-build}/dcmtk-$version"
rm -rf "$work" "$prefix"
mkdir -p "$work/bin"
started=$(date +%s)
tools/apt-source.sh dcmtk "$work"
tree=$(ls -d "$work"/dcmtk-*/ | head -1)

# DCMTK runs its checks through "wine" and converts paths with "winepath";
# Debian's wine64 has both as Wine programs without commands of their own.
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
printf '#!/bin/sh\nexec "%s" winepath.exe "$@"\n' "$wine" >"$work/bin/winepath"
chmod +x "$work/bin/winepath"

# The toolchain of this tree, which looks for no earlier build while DCMTK
# builds. The programs link the C++ runtime statically; the run checks need
# no DLL.
export QUARVEL_BUILDING_DEPS=1
# The compile checks' answers are preloaded; Debian's patches install the
# dictionaries under CMAKE_INSTALL_DATADIC.
cmake -S "$tree" -B "$work/build" -G Ninja \
    -C "$source/cmake/dcmtk-mingw64-checks.cmake" \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_DATADIC=share/dcmtk \
    -DDCMTK_MODULES="ofstd;oflog;dcmdata;dcmtls;dcmnet" \
    -DBUILD_APPS=OFF -DBUILD_SHARED_LIBS=OFF \
    -DDCMTK_DEFAULT_DICT=builtin -DDCMTK_ENABLE_PRIVATE_TAGS=OFF \
    -DDCMTK_WITH_OPENSSL=OFF -DDCMTK_WITH_ZLIB=OFF -DDCMTK_WITH_PNG=OFF -DDCMTK_WITH_TIFF=OFF \
    -DDCMTK_WITH_XML=OFF -DDCMTK_WITH_ICONV=OFF -DDCMTK_WITH_ICU=OFF -DDCMTK_WITH_SNDFILE=OFF \
    -DDCMTK_WITH_WRAP=OFF -DDCMTK_WITH_OPENJPEG=OFF -DDCMTK_WITH_DOXYGEN=OFF \
    -DWINE_WINE_PROGRAM="$wine" -DWINE_WINEPATH_PROGRAM="$work/bin/winepath" \
    -DWINE_CPP_RUNTIME='Z:\usr\lib\gcc\x86_64-w64-mingw32' >"$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log"; exit 1; }
cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -40 "$work/build.log"; exit 1; }
cmake --install "$work/build" >"$work/install.log"
built=$(($(date +%s) - started))
echo "$version built in $built s from $(basename "$tree")" >"$prefix/.complete"
WINEPREFIX="$work/build/CMakeFiles/wineprefix" "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
rm -rf "$work"
echo "build-dcmtk-windows: DCMTK $version for Windows in $prefix ($built s)"
