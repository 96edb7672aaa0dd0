#!/usr/bin/env bash
# Drives the bash completion of quarvel-cfg as bash would and checks what it
# offers: completion_test.sh COMPLETION_SCRIPT
# shellcheck source=/dev/null
source "$1" || exit 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir site
touch config.cfg old.cfg notes.txt
printf '127.0.0.1 localhost\n' >hosts
export HOSTFILE=$work/hosts

failures=0
total=0
# expect "WORDS OF THE LINE" "EXPECTED REPLIES"; the last word is completed.
expect()
{
    read -r -a COMP_WORDS <<<"$1"
    [[ $1 == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    ((total++))
    _quarvel_cfg
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    got=${got% }
    if [[ $got != "$2" ]]; then
        echo "FAIL: '$1' offered [$got], expected [$2]"
        ((failures++))
    fi
}

expect "quarvel-cfg " "--help --version check defaults diff echo export filmtest get import normalize ping remove restart set testpage"
expect "quarvel-cfg n" "normalize"
expect "quarvel-cfg --v" "--version"
# Files read: configuration files and folders; files written: anything.
expect "quarvel-cfg check " "config.cfg old.cfg site"
expect "quarvel-cfg diff c" "config.cfg"
expect "quarvel-cfg defaults " "config.cfg hosts notes.txt old.cfg site"
expect "quarvel-cfg normalize " "config.cfg old.cfg site"
expect "quarvel-cfg normalize old.cfg " "config.cfg hosts notes.txt old.cfg site"
expect "quarvel-cfg normalize - n" "notes.txt"
expect "quarvel-cfg normalize a.cfg b.cfg " ""
# Options do not count as arguments; "-" stands for standard input or output.
expect "quarvel-cfg check --json " "config.cfg old.cfg site"
expect "quarvel-cfg check -" "- --help --json"
expect "quarvel-cfg diff -" "- --help --ignore-line-endings"
expect "quarvel-cfg diff --ignore-line-endings c" "config.cfg"
expect "quarvel-cfg defaults -" "- --discard-recovery --help --keep-backups --replace-foreign --wait"
expect "quarvel-cfg ping -" "--help"
expect "quarvel-cfg check --help " ""
# The configuration as code: configuration files to read or change, the JSON
# file and the file written anything; paths and values are not completed.
expect "quarvel-cfg ex" "export"
expect "quarvel-cfg export " "config.cfg old.cfg site"
expect "quarvel-cfg get " "config.cfg old.cfg site"
expect "quarvel-cfg get config.cfg " ""
expect "quarvel-cfg set --dry-run " "config.cfg old.cfg site"
expect "quarvel-cfg set config.cfg " ""
expect "quarvel-cfg set -" "- --allow-faults --discard-recovery --dry-run --help --keep-backups --replace-foreign --wait"
expect "quarvel-cfg remove o" "old.cfg"
expect "quarvel-cfg import n" "notes.txt"
expect "quarvel-cfg import notes.txt " "config.cfg hosts notes.txt old.cfg site"
expect "quarvel-cfg import notes.txt x.cfg " ""
expect "quarvel-cfg export -" "- --help"
# Printer addresses: host names; the queue and restart take nothing known.
expect "quarvel-cfg ping local" "localhost"
expect "quarvel-cfg testpage local" "localhost"
expect "quarvel-cfg testpage localhost " ""
expect "quarvel-cfg restart " ""
# The DICOM checks: the configuration, then (after the printer) the host;
# the seconds of --timeout are not an argument.
expect "quarvel-cfg echo -" "--debug --help --timeout --verbose"
expect "quarvel-cfg filmtest --verbose config.cfg " ""
expect "quarvel-cfg echo -d " "config.cfg old.cfg site"
expect "quarvel-cfg echo --timeout 2 " "config.cfg old.cfg site"
expect "quarvel-cfg echo --timeout " ""
expect "quarvel-cfg echo config.cfg local" "localhost"
expect "quarvel-cfg filmtest config.cfg LASER local" "localhost"

echo "$((total - failures)) passed, $failures failed"
((failures == 0))
