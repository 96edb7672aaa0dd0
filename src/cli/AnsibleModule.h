#pragma once

#include <iosfwd>

#include "config/ConfigJson.h"

// The Ansible module quarvel_config, a binary module: Ansible hands it the
// path of a file with its arguments as one JSON object and reads one JSON
// object from its standard output.
//
// Options: path (required, absolute), set (a partial record in the JSON form
// of ConfigJson.h; list entries matched by PrinterAETitle or Name), state
// (present, the default: set's fields are set; absent: the records set's
// lists name by their keys are removed), remove ({"Printers": [KEY...],
// "Papers": [...], "Headers": [...]}, removed under either state), create
// (default true: a missing file starts from the defaults), force (default
// false: write even when the result has faults). Ansible's own
// _ansible_check_mode and _ansible_diff give check and diff mode.
//
// Returns changed, faults and warnings (the check's texts), backup_file when
// a backup was made, msg, and diff (before/after texts) in diff mode. Fails,
// writing nothing, on an unknown field or a wrong value (named), on a result
// with faults unless force, and when the file cannot be read or written.
Json runAnsibleModule(const Json& arguments);

// The program: reads the arguments file argv[1] and prints the result as one
// line of JSON on out. 0 on success, 1 when the module failed.
int configModuleMain(int argc, const char* const* argv, std::ostream& out);
