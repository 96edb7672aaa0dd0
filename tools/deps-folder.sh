# Sourced by tools/build-qt-windows.sh and tools/build-dcmtk-windows.sh.
# claim_deps_folder FOLDER: makes the machine-wide folder of the Windows
# builds (with sudo when not root) and gives it to this user.
claim_deps_folder() {
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo mkdir -p "$1"
    $sudo chown "$(id -u):$(id -g)" "$1"
}
