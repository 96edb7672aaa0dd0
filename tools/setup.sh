#!/usr/bin/env bash
# Installs every Debian package the project needs (only what is missing),
# then builds Qt and DCMTK for Windows from Debian's source packages into
# machine-wide prefixes, once (tools/build-qt-windows.sh,
# tools/build-dcmtk-windows.sh; a later run finds them and goes on).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    g++ cmake ninja-build git ccache
    qt6-base-dev qt6-svg-dev libgl-dev
    nlohmann-json3-dev # the JSON form of the configuration
    libgtest-dev libbenchmark-dev libinih-dev
    clang libclang-rt-14-dev clang-format-14
    xvfb xauth ghostscript
    librsvg2-bin dpkg-dev file desktop-file-utils appstream groff-base man-db
    shared-mime-info libglib2.0-bin lintian # the file type as desktops see it; the package's checker
    wine64 g++-mingw-w64-x86-64-posix googletest # the Windows build and its tests under Wine
    wixl # the Windows installer (MSI)
    perl # Qt's build for Windows runs its header tool
    patch python3 # the tool's tests apply its diffs and parse its JSON
    dcmtk libdcmtk-dev # the DICOM checks (DCMTK) and the print SCP their tests talk to
    ansible-core # the Ansible module's test runs it under Ansible
    time # bench/compare-processes.sh reads the peak memory from /usr/bin/time
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
else
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    echo "setup: installing ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

tools/build-qt-windows.sh
tools/build-dcmtk-windows.sh
