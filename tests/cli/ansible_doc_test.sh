#!/usr/bin/env bash
# The documentation page of the module quarvel_config as ansible-doc shows it
# from the .yml beside the program: the page names every option the module
# takes, no other, and full check and diff mode.
#
#   ansible_doc_test.sh MODULE_DIR
#
# Exit 77 (skipped) only when ansible-doc is missing.
set -uo pipefail
if ! command -v ansible-doc >/dev/null; then
    echo "ansible-doc is not installed (tools/setup.sh installs ansible-core); skipped"
    exit 77
fi
modules=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/ansible.cfg"
export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/home ANSIBLE_LOCAL_TEMP=$work/tmp \
    ANSIBLE_LIBRARY=$modules ANSIBLE_NOCOLOR=1

failures=0
fail()
{
    echo "FAIL: $*"
    failures=$((failures + 1))
}

page=$(ansible-doc quarvel_config 2>&1) || fail "ansible-doc quarvel_config failed: $page"
for option in "= path" "- set" "- state" "- remove" "- create" "- allow_faults" "- backup" "- discard_recovery" \
    "- replace_foreign" "- lock_timeout"; do
    grep -qx -- "$option" <<<"$page" || fail "the page lacks the option line '$option'"
done
for section in "ATTRIBUTES:" "EXAMPLES:" "RETURN VALUES:"; do
    grep -qx -- "$section" <<<"$page" || fail "the page lacks $section"
done

# The options of the page are those the program takes: it names them when
# it refuses an unknown one.
ansible-doc --json quarvel_config >"$work/doc.json" 2>&1 || fail "ansible-doc --json failed: $(cat "$work/doc.json")"
documented=$(python3 -c '
import json, sys
doc = json.load(open(sys.argv[1]))["quarvel_config"]["doc"]
print(", ".join(name + (" (" + ", ".join(o["aliases"]) + ")" if o.get("aliases") else "")
                for name, o in sorted(doc["options"].items())))
for mode in ("check_mode", "diff_mode"):
    print(mode, doc["attributes"][mode]["support"])
' "$work/doc.json") || fail "the JSON page cannot be read"
echo '{"path": "/nowhere.cfg", "no_such_option": 1}' >"$work/args"
taken=$("$modules/quarvel_config" "$work/args" | python3 -c '
import json, sys
print(json.load(sys.stdin)["msg"].split("Supported parameters include: ")[1].rstrip("."))')
[ "$documented" = "$taken
check_mode full
diff_mode full" ] || fail "the page documents [$documented], the module takes [$taken] with full check and diff mode"

if ((failures)); then
    echo "$failures failures"
    exit 1
fi
echo "ansible-doc shows quarvel_config with every option it takes"
