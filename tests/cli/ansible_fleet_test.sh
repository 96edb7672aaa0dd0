#!/usr/bin/env bash
# A real Ansible run of the module quarvel_config, as the administrator of a
# fleet would make it: 20 hosts on the local connection, each with its own
# configuration file and its own variables, one playbook that sets printers,
# a paper, the layout and the port.
#
#   ansible_fleet_test.sh MODULE_DIR QUARVEL_CFG
#
# Exit 77 (skipped) only when ansible-playbook is missing.
set -uo pipefail
if ! command -v ansible-playbook >/dev/null; then
    echo "ansible-playbook is not installed (tools/setup.sh installs ansible-core); skipped"
    exit 77
fi
modules=$1
cfg=$2
hosts=20

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Ansible's settings, temporary folders and collections stay in the work
# folder; no configuration of this machine or user plays a part.
: >"$work/ansible.cfg"
export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/home ANSIBLE_LOCAL_TEMP=$work/tmp \
    ANSIBLE_REMOTE_TEMP=$work/tmp ANSIBLE_LIBRARY=$modules ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 \
    ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_DEPRECATION_WARNINGS=0

failures=0
fail()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The sites: a fresh configuration each; site03's was edited by hand.
mkdir "$work/sites"
{
    echo "[servers]"
    for ((i = 1; i <= hosts; i++)); do
        site=$(printf 'site%02d' "$i")
        "$cfg" defaults "$work/sites/$site.cfg" >/dev/null || fail "quarvel-cfg defaults for $site"
        echo "$site ansible_connection=local quarvel_file=$work/sites/$site.cfg quarvel_port=$((11100 + i))" \
            "printer_address=10.1.$i.20"
    done
} >"$work/inventory"
printf '; ward 3 asked for this\r\n' >>"$work/sites/site03.cfg"

cat >"$work/site.yml" <<'EOF'
- hosts: servers
  gather_facts: false
  tasks:
    - name: Printers, a paper, the layout and the port
      quarvel_config:
        path: "{{ quarvel_file }}"
        backup: true
        set:
          Port: "{{ quarvel_port }}"
          Printers:
            - PrinterAETitle: LASER1
              Description: Ward laser
              PrinterAddress: "{{ printer_address }}"
              PrinterQueue: lp
            - PrinterAETitle: FILM1
              Description: Film printer
              PrinterAddress: "{{ printer_address }}"
              PrinterQueue: film
          Papers:
            - Name: A4
              PaperLabel: A4
              SizeX: 595
              SizeY: 842
          Layout:
            PageSize: "{{ page_size | default('A4') }}"
            Orientation: LANDSCAPE
EOF

checksums()
{
    (cd "$work/sites" && sha256sum ./*)
}

# play LOG ARGUMENTS...: runs the playbook; its exit status.
play()
{
    local log=$1
    shift
    ansible-playbook -i "$work/inventory" -f 10 "$work/site.yml" "$@" >"$work/$log" 2>&1
}

# recap LOG WORD: how many hosts the recap of LOG counts with WORD (changed=1).
recap()
{
    grep -cE "^site[0-9]+ +: .*\\b$2\\b" "$work/$1"
}

started=$(date +%s)
before=$(checksums)
list=$(ls "$work/sites")

echo "== check mode with diff: nothing is written, every host would change"
play check.log --check --diff || fail "the check run failed: $(tail -20 "$work/check.log")"
[ "$(recap check.log changed=1)" = $hosts ] || fail "the check run does not report $hosts changed: $(tail -25 "$work/check.log")"
[ "$(checksums)" = "$before" ] || fail "check mode changed a file"
[ "$(ls "$work/sites")" = "$list" ] || fail "check mode made a file: $(ls "$work/sites")"
grep -q '^-Port = 104' "$work/check.log" || fail "the diff shows no old port"
grep -q '^+Port = 11107' "$work/check.log" || fail "the diff shows no new port of site07"
grep -q '^+PrinterAddress = 10.1.7.20' "$work/check.log" || fail "the diff shows no printer address of site07"
grep -q '^+\[A4\]' "$work/check.log" || fail "the diff shows no paper section"

echo "== first run: $hosts hosts changed"
play first.log || fail "the first run failed: $(tail -20 "$work/first.log")"
[ "$(recap first.log changed=1)" = $hosts ] || fail "the first run does not report $hosts changed: $(tail -25 "$work/first.log")"
for site in site01 site07 site20; do
    n=$((10#${site#site}))
    [ "$("$cfg" get "$work/sites/$site.cfg" Port)" = $((11100 + n)) ] || fail "$site has another port"
    [ "$("$cfg" get "$work/sites/$site.cfg" 'Printers[FILM1].PrinterAddress')" = "10.1.$n.20" ] ||
        fail "$site has another film printer address"
    [ -f "$work/sites/$site.bak" ] || fail "$site has no backup"
    "$cfg" check "$work/sites/$site.cfg" >/dev/null || fail "$site does not pass the check: $("$cfg" check "$work/sites/$site.cfg")"
done
[ "$("$cfg" get "$work/sites/site05.cfg" Layout.Orientation)" = LANDSCAPE ] || fail "site05 has another orientation"
# Ansible wraps its warnings: the start of the check's line.
grep -q 'site03.cfg:[0-9]*: warning: a comment' "$work/first.log" ||
    fail "the run does not warn that site03's comment is gone"
written=$(checksums)

echo "== second run: nothing changes"
play second.log || fail "the second run failed: $(tail -20 "$work/second.log")"
[ "$(recap second.log changed=0)" = $hosts ] || fail "the second run does not report 0 changed: $(tail -25 "$work/second.log")"
[ "$(checksums)" = "$written" ] || fail "the second run changed a file"
[ -z "$(ls "$work/sites" | grep '\.bk2$')" ] || fail "the second run made a backup"

echo "== a page size that names no paper: every host fails, no file changes"
play broken.log -e page_size=A3
status=$?
[ $status -ne 0 ] || fail "the run with a page size that names no paper succeeded"
[ "$(recap broken.log failed=1)" = $hosts ] || fail "not every host failed: $(tail -25 "$work/broken.log")"
grep -q 'No valid paper size defined for \[STANDARD\] layout\.' "$work/broken.log" ||
    fail "the failure does not give the check's fault: $(grep -m1 -A8 'FAILED' "$work/broken.log")"
[ "$(checksums)" = "$written" ] || fail "the failed run changed a file"

echo "ansible fleet test: $hosts hosts, $(($(date +%s) - started)) s"
((failures == 0)) || {
    echo "$failures failures"
    exit 1
}
