#!/usr/bin/env bash
# The file type of the package as a desktop sees it: the MIME database built
# from it alone tells a config.cfg by its name, and a configuration of
# another name by its first section header, but not just any .cfg file:
# mime_test.sh MIME_XML GOLDEN_CFG
set -uo pipefail
for tool in update-mime-database gio; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (tools/setup.sh installs it); skipped" && exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/mime/packages" "$work/files"
cp "$1" "$work/data/mime/packages/quarvel.xml"
update-mime-database "$work/data/mime" >/dev/null 2>&1 || exit 1
cp "$2" "$work/files/config.cfg"
cp "$2" "$work/files/site.cfg"
printf 'config\n' >"$work/files/other.cfg"
failures=0
for expected in config.cfg=application/x-zelnor-config site.cfg=application/x-zelnor-config other.cfg=text/plain; do
    got=$(XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/data gio info -a standard::content-type "$work/files/${expected%%=*}" |
        sed -n 's/^ *standard::content-type: //p')
    [ "$got" = "${expected#*=}" ] || { echo "FAIL: ${expected%%=*} is '$got', not '${expected#*=}'" && failures=$((failures + 1)); }
done
((failures == 0)) && echo "file type: config.cfg and configurations of other names are told apart"
((failures == 0))
