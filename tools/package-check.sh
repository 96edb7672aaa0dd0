#!/usr/bin/env bash
# Builds the Debian package from the main build tree and tries it as an
# administrator would: its contents and control fields, the validators, an
# install with apt-get, the installed programs, and a purge that must leave
# nothing behind. Installs into the running system: needs root (or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

version=$(sed -n 's/^project(Quarvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
id=$(sed -n 's/^set(QUARVEL_APP_ID \(.*\))$/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
deb_name="quarvel_${version}_${arch}.deb"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)

failures=0
fail()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

work=$(mktemp -d)
installed_here=0
cleanup()
{
    if ((installed_here)); then
        echo "package-check: purging the package after a failure"
        $sudo apt-get purge -y -q quarvel >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== package: build"
# The options of tools/test.sh, so that the tree it built is reused as it is.
tools/build.sh default -DCMAKE_INSTALL_PREFIX=/usr
rm -rf build/package
cpack --config build/CPackConfig.cmake -G DEB -B "$source/build/package" >/dev/null
deb=build/package/$deb_name
[ -f "$deb" ] || {
    echo "FAIL: cpack made no $deb_name: $(ls build/package)"
    exit 1
}
echo "package-check: $deb ($(du -k "$deb" | cut -f1) KiB)"

echo "== package: contents and control fields"
expected=(
    ./usr/bin/quarvel
    ./usr/bin/quarvel-cfg
    "./usr/lib/$multiarch/quarvel/quarvel-dicom.so"
    ./usr/share/ansible/plugins/modules/quarvel_config
    ./usr/share/ansible/plugins/modules/quarvel_config.yml
    ./usr/share/quarvel/testpage.ps
    "./usr/share/applications/$id.desktop"
    "./usr/share/metainfo/$id.metainfo.xml"
    "./usr/share/mime/packages/$id.xml"
    "./usr/share/icons/hicolor/scalable/apps/$id.svg"
    "./usr/share/icons/hicolor/48x48/apps/$id.png"
    "./usr/share/icons/hicolor/128x128/apps/$id.png"
    ./usr/share/man/man1/quarvel.1.gz
    ./usr/share/man/man1/quarvel-cfg.1.gz
    ./usr/share/bash-completion/completions/quarvel-cfg
    ./usr/share/doc/quarvel/copyright
    ./usr/share/doc/quarvel/changelog.gz
    ./usr/share/lintian/overrides/quarvel
)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
want=$(printf '%s\n' "${expected[@]}" | sort)
[ "$files" = "$want" ] || fail "the package holds other files than expected:
$(diff <(echo "$want") <(echo "$files") || true)"

field()
{
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = quarvel ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Section)" = admin ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -gt 2 ] || fail "no long Description"
# The dependencies computed from the programs' libraries.
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6; do
    [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library: $depends"
done

unpacked=$work/unpacked
dpkg-deb -x "$deb" "$unpacked"
for program in bin/quarvel bin/quarvel-cfg "lib/$multiarch/quarvel/quarvel-dicom.so" \
    share/ansible/plugins/modules/quarvel_config; do
    file "$unpacked/usr/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
for size in 48 128; do
    file "$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size" ||
        fail "the $size pixel icon is not a $size x $size PNG"
done

echo "== package: validators"
# Debian's own checker, with its informational tags too: any tag fails. An
# override would need a comment in the override file saying why.
if command -v lintian >/dev/null; then
    # Its warning about running as root is not about the package.
    lintian_out=$(lintian -I --tag-display-limit 0 "$deb" 2>&1 | grep -v '^running with root privileges') || true
    [ -z "$lintian_out" ] || fail "lintian -I reports:
$lintian_out"
    # Every override says why.
    awk '/^quarvel: / && prev !~ /^#/ {bad = 1} {prev = $0} END {exit bad}' "$source/packaging/lintian/quarvel" ||
        fail "a lintian override without a comment saying why"
else
    fail "lintian is not installed (tools/setup.sh installs it)"
fi
changelog_version=$(gzip -dc "$unpacked/usr/share/doc/quarvel/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$changelog_version" = "$version" ] || fail "the changelog's last entry is $changelog_version, the package $version"
tests/packaging/check_desktop_metadata.sh "$unpacked/usr/share/applications/$id.desktop" \
    "$unpacked/usr/share/metainfo/$id.metainfo.xml" "$version" || fail "desktop entry or metainfo"
for page in quarvel quarvel-cfg; do
    gzip -dc "$unpacked/usr/share/man/man1/$page.1.gz" >"$work/$page.1"
done
tests/packaging/manpage_lint.sh "$work/quarvel.1" "$work/quarvel-cfg.1" || fail "manual pages"

echo "== package: install"
if dpkg-query -W -f='${Status}' quarvel 2>/dev/null | grep -q 'ok installed'; then
    echo "package-check: quarvel is installed already (left by an earlier run?); purging it first"
    $sudo apt-get purge -y -q quarvel >/dev/null
fi
# Which of the package's paths the system has before, to tell afterwards
# what the package left behind.
mapfile -t paths < <(dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | sed 's:/$::' | grep -v '^$')
existing=()
for path in "${paths[@]}"; do
    [ -e "$path" ] && existing+=("$path")
done
# apt's download user must be able to read the file.
chmod 755 "$work"
cp "$deb" "$work/"
chmod 644 "$work/$deb_name"
installed_here=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
    -o DPkg::Lock::Timeout=120 "$work/$deb_name" >"$work/install.log" 2>&1 || {
    cat "$work/install.log"
    fail "apt-get install"
    exit 1
}

echo "== package: installed programs"
cd "$work"
[ "$(command -v quarvel-cfg)" = /usr/bin/quarvel-cfg ] || fail "quarvel-cfg is not /usr/bin/quarvel-cfg"
[ "$(command -v quarvel)" = /usr/bin/quarvel ] || fail "quarvel is not /usr/bin/quarvel"
out=$(/usr/bin/quarvel-cfg --version) || fail "quarvel-cfg --version failed"
[ "$out" = "quarvel-cfg $version" ] || fail "quarvel-cfg --version says '$out'"
/usr/bin/quarvel-cfg defaults config.cfg >/dev/null || fail "quarvel-cfg defaults failed"
cmp -s config.cfg "$source/tests/golden/fresh.cfg" || fail "quarvel-cfg defaults wrote another file than tests/golden/fresh.cfg"
# The work folder has no testpage.ps: the installed one must be found (the
# send itself fails against a closed loopback port, after the page was found).
[ ! -e testpage.ps ] || fail "the work folder should not hold a testpage.ps"
out=$(/usr/bin/quarvel-cfg testpage 127.0.0.1 QUEUE 2>&1) || true
[[ $out != *"Test page file"*"not found."* ]] || fail "the installed quarvel-cfg does not find the installed testpage.ps: $out"
# The DICOM plugin is found from /usr/bin: the echo runs against the closed
# port instead of saying that the checks are missing.
out=$(/usr/bin/quarvel-cfg echo --timeout 2 config.cfg 127.0.0.1 2>&1) || true
[[ $out == *"ZELNORSRV at 127.0.0.1:"*"no connection"* ]] || fail "the installed quarvel-cfg echo says: $out"
[ "$(man -w quarvel-cfg)" = /usr/share/man/man1/quarvel-cfg.1.gz ] || fail "man finds no quarvel-cfg page"
MANWIDTH=80 man -P cat quarvel-cfg 2>/dev/null | grep -q 'quarvel-cfg diff \[--ignore-line-endings\] FILE' || fail "man quarvel-cfg shows no synopsis"
[ "$(man -w quarvel)" = /usr/share/man/man1/quarvel.1.gz ] || fail "man finds no quarvel page"
bash -c 'source /usr/share/bash-completion/completions/quarvel-cfg && complete -p quarvel-cfg' >/dev/null ||
    fail "the completion does not load"
# Ansible finds the installed module without settings: a configuration the
# server can start with, set on localhost, then read back.
if command -v ansible >/dev/null; then
    # Nothing of this user's or machine's Ansible set-up plays a part, and
    # Ansible's temporary files stay in the work folder.
    : >"$work/ansible-settings.ini"
    out=$(env -u ANSIBLE_LIBRARY ANSIBLE_CONFIG="$work/ansible-settings.ini" ANSIBLE_HOME="$work/ansible-home" \
        ANSIBLE_LOCAL_TEMP="$work/ansible-tmp" ANSIBLE_REMOTE_TEMP="$work/ansible-tmp" \
        ansible localhost -i localhost, -c local -m quarvel_config -a "{\"path\": \"$work/fleet.cfg\",
            \"set\": {\"Port\": 11112, \"Printers\": [{\"PrinterAETitle\": \"LASER1\", \"PrinterAddress\": \"127.0.0.1\",
            \"PrinterQueue\": \"lp\"}], \"Papers\": [{\"Name\": \"A4\", \"SizeX\": 595, \"SizeY\": 842}],
            \"Layout\": {\"PageSize\": \"A4\"}}}" 2>&1) || fail "ansible -m quarvel_config failed: $out"
    [[ $out == *'localhost | CHANGED'* ]] || fail "ansible -m quarvel_config changed nothing: $out"
    [ "$(/usr/bin/quarvel-cfg get "$work/fleet.cfg" 'Printers[LASER1].PrinterAddress')" = 127.0.0.1 ] ||
        fail "the module did not write the printer: $(cat "$work/fleet.cfg")"
    # ansible-doc finds the installed page beside the installed module.
    out=$(env -u ANSIBLE_LIBRARY ANSIBLE_CONFIG="$work/ansible-settings.ini" ANSIBLE_HOME="$work/ansible-home" \
        ansible-doc quarvel_config 2>&1) || fail "ansible-doc quarvel_config failed: $out"
    [[ $out == *"/usr/share/ansible/plugins/modules/quarvel_config.yml"* && $out == *"= path"* ]] ||
        fail "ansible-doc shows no page of the installed quarvel_config: $out"
else
    fail "ansible is not installed (tools/setup.sh installs ansible-core): the module is not tried"
fi
desktop-file-validate "/usr/share/applications/$id.desktop" || fail "the installed desktop entry"
if ! QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/quarvel --smoke >"$work/smoke.log" 2>&1; then
    cat "$work/smoke.log"
    fail "the installed editor did not show its window"
fi
cd "$source"

echo "== package: purge"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -q -o DPkg::Lock::Timeout=120 quarvel >"$work/purge.log" 2>&1 || {
    cat "$work/purge.log"
    fail "apt-get purge"
}
installed_here=0
status=$(dpkg-query -W -f='${Status}' quarvel 2>/dev/null || true)
if [ -n "$status" ] && [[ $status != *not-installed ]]; then
    fail "dpkg still knows quarvel as '$status'"
fi
for path in "${paths[@]}"; do
    if [ -e "$path" ] && [[ " ${existing[*]} " != *" $path "* ]]; then
        fail "the purge left $path behind"
    fi
done
for path in "${existing[@]}"; do
    [ -e "$path" ] || fail "the purge removed $path, which was there before"
done
if compgen -G '/var/lib/dpkg/info/quarvel.*' >/dev/null; then
    fail "dpkg keeps $(ls /var/lib/dpkg/info/quarvel.*)"
fi

if ((failures)); then
    echo "package-check: $failures failures"
    exit 1
fi
echo "package-check: $deb_name built, validated, installed, run and purged cleanly"
